%
O1000 (café)
N10 G1 X1
N20 Y2N30
%