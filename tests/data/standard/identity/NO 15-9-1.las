~Version
VERS.                          2.0 :CWLS LOG ASCII STANDARD - VERSION 2.0
WRAP.                          NO  : ONE LINE PER DEPTH STEP
~Well
STRT.M              1012.000000 : START DEPTH
STOP.M              1016.000000 : STOP DEPTH
STEP.M                 0.500000 : STEP
NULL.                   -9999.0 : NULL VALUE
COMP.            Equinor Energy : COMPANY
WELL.                 NO 15-9-1 : WELL
FLD.                            : FIELD
LOC.                            : LOCATION
PROV.                           : PROVINCE
SRVC.                           : SERVICE COMPANY
DATE.                           : LOG DATE
UWI.                   NO-UWI-1 : UNIQUE WELL ID
~Curve
DEPT.M                          : DEPTH
ZONELOG.                        : ZONE CODE, LISTED IN THE PARAMETER SECTION AS ZONELOG_<CODE>
DEFINTERV.                      : 1 INSIDE AN INTERVAL OF THE TABLE, 0 OUTSIDE
POR.                            : POR
QUALITY.                        : QUALITY AS CODES, LISTED IN THE PARAMETER SECTION AS QUALITY_<CODE>
~Parameter
EKB.M                      25.0 : EKB.M
ZONELOG_10.          Upper_Shale : CODE 10 OF ZONELOG
ZONELOG_20.               Sand_A : CODE 20 OF ZONELOG
QUALITY_1.                 good : CODE 1 OF QUALITY
QUALITY_2.        poor:_washout : CODE 2 OF QUALITY
~Ascii
1012.000000   10   1   0.06   1
1012.500000   10   1   0.06   1
1013.000000   10   1   0.06   1
1013.500000   20   1   0.24   2
1014.000000   20   1   0.24   2
1014.500000   -9999.0   0   -9999.0   -9999.0
1015.000000   20   1   -9999.0   1
1015.500000   20   1   -9999.0   1
1016.000000   -9999.0   0   -9999.0   -9999.0
