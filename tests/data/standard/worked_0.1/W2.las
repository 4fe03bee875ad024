~Version
VERS.                          2.0 :CWLS LOG ASCII STANDARD - VERSION 2.0
WRAP.                          NO  : ONE LINE PER DEPTH STEP
~Well
STRT.M                50.000000 : START DEPTH
STOP.M                50.400000 : STOP DEPTH
STEP.M                 0.100000 : STEP
NULL.                   -9999.0 : NULL VALUE
COMP.                           : COMPANY
WELL.                        W2 : WELL
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
50.000000   3   1   0.1   10
50.100000   3   1   0.1   10
50.200000   3   1   0.1   10
50.300000   3   1   0.1   10
50.400000   -9999.0   0   -9999.0   -9999.0
