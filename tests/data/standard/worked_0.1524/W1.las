~Version
VERS.                          2.0 :CWLS LOG ASCII STANDARD - VERSION 2.0
WRAP.                          NO  : ONE LINE PER DEPTH STEP
~Well
STRT.M                 0.152400 : START DEPTH
STOP.M                 1.981200 : STOP DEPTH
STEP.M                 0.152400 : STEP
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
0.152400   -9999.0   0   -9999.0   -9999.0
0.304800   1   1   0.21   150
0.457200   1   1   0.21   150
0.609600   1   1   0.21   150
0.762000   1   1   0.21   150
0.914400   2   1   0.18   90
1.066800   2   1   0.18   90
1.219200   2   1   0.18   90
1.371600   -9999.0   0   -9999.0   -9999.0
1.524000   -9999.0   0   -9999.0   -9999.0
1.676400   1   1   0.25   300
1.828800   1   1   0.25   300
1.981200   -9999.0   0   -9999.0   -9999.0
