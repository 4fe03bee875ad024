~Version
VERS.                          2.0 :CWLS LOG ASCII STANDARD - VERSION 2.0
WRAP.                          NO  : ONE LINE PER DEPTH STEP
~Well
STRT.M                 0.300000 : START DEPTH
STOP.M                 1.900000 : STOP DEPTH
STEP.M                 0.100000 : STEP
NULL.                   -9999.0 : NULL VALUE
COMP.                           : COMPANY
WELL.                        W1 : WELL
FLD.                            : FIELD
LOC.                            : LOCATION
PROV.                           : PROVINCE
SRVC.                           : SERVICE COMPANY
DATE.                           : LOG DATE
UWI.                            : UNIQUE WELL ID
~Curve
DEPT.M                          : DEPTH
ZONELOG.                        : ZONE CODE, LISTED IN THE PARAMETER SECTION AS ZONELOG_<CODE>
DEFINTERV.                      : 1 INSIDE AN INTERVAL OF THE TABLE, 0 OUTSIDE
POR.                            : POR
PERM.mD                         : PERM.mD
~Parameter
ZONELOG_1.                    A : CODE 1 OF ZONELOG
ZONELOG_2.                    B : CODE 2 OF ZONELOG
ZONELOG_3.                    X : CODE 3 OF ZONELOG
ZONELOG_4.                    Y : CODE 4 OF ZONELOG
~Ascii
0.300000   1   1   0.21   150
0.400000   1   1   0.21   150
0.500000   1   1   0.21   150
0.600000   1   1   0.21   150
0.700000   1   1   0.21   150
0.800000   2   1   0.18   90
0.900000   2   1   0.18   90
1.000000   2   1   0.18   90
1.100000   2   1   0.18   90
1.200000   2   1   0.18   90
1.300000   -9999.0   0   -9999.0   -9999.0
1.400000   -9999.0   0   -9999.0   -9999.0
1.500000   -9999.0   0   -9999.0   -9999.0
1.600000   1   1   0.25   300
1.700000   1   1   0.25   300
1.800000   1   1   0.25   300
1.900000   -9999.0   0   -9999.0   -9999.0
