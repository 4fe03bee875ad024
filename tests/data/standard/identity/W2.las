~Version
VERS.                          2.0 :CWLS LOG ASCII STANDARD - VERSION 2.0
WRAP.                          NO  : ONE LINE PER DEPTH STEP
~Well
STRT.M               100.000000 : START DEPTH
STOP.M               100.500000 : STOP DEPTH
STEP.M                 0.500000 : STEP
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
QUALITY.                        : QUALITY AS CODES, LISTED IN THE PARAMETER SECTION AS QUALITY_<CODE>
~Parameter
ZONELOG_10.          Upper_Shale : CODE 10 OF ZONELOG
ZONELOG_20.               Sand_A : CODE 20 OF ZONELOG
QUALITY_1.                 good : CODE 1 OF QUALITY
QUALITY_2.        poor:_washout : CODE 2 OF QUALITY
~Ascii
100.000000   20   1   0.2   -9999.0
100.500000   -9999.0   0   -9999.0   -9999.0
