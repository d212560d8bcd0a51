STR
'TWO-STOREY FRAME OF IE3DBEAM COLUMNS, RECORD @NAME@ x @SCALE@'
6 1 2 0 0 1.0
1   0.0 0.0   0.0  1 2
2   0.0 0.0 144.0
2 240.0 0.0   0.0  1 2
2   0.0 0.0 144.0
1.0 0.0 0.0 0.0 1.0 0.0
1 1 1 1 1 1 1 1 1
3 0 1 1 1 1 1 3 1
5
IA_BILN 1.0 0.01 29.0E6 900.0 1.0E6 0.0 0.0 0.0
0
IA_BILN 1.0 0.01 29.0E6 900.0 1.5E6 0.0 0.0 0.0
0
IA_BILN 0.0 0.0 29.0E6 900.0 0.0 0.0 0.0 0.0
IA_BILN 0.0 0.0 29.0E6 20.0 0.0 0.0 0.0 0.0
3D-BEAM 29.0E6 11.2E6 20.0 10.0 10.0 5.0 300.0 900.0
0 0 0 F
6
IE3DBEAM 'COL-L1' 3 3 1 2 3 4 1 3 1.0 0.0 0.0 0.0 0.0 0.0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0
IE3DBEAM 'COL-R1' 3 3 1 2 3 4 2 4 1.0 0.0 0.0 0.0 0.0 0.0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0
IE3DBEAM 'COL-L2' 3 3 3 3 3 4 3 5 1.0 0.0 0.0 0.0 0.0 0.0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0
IE3DBEAM 'COL-R2' 3 3 3 3 3 4 4 6 1.0 0.0 0.0 0.0 0.0 0.0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0
3D-BEAM 'BEAM-1' 5 3 4 0.0 0.0 1.0 0.0 0.0 0.0 0 0
3D-BEAM 'BEAM-2' 5 5 6 0.0 0.0 1.0 0.0 0.0 0.0 0 0
1 1 F                          100 LB-S2/IN on each floor node
3 100.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 3 1
2.0 0.0                        5 % of critical damping in the first mode (w = 20)
SOL2
'RECORD @NAME@ SCALED BY @SCALE@'
AVERAGE 0.0 F T                method, THETA, ELASTC, UNBAL
1000000 1 @NPTS@ F             print no step, history records every step
0.0 0.005 @TF@ 386.4           start, step, end time, gravity
'JOINT FX' 3 21 0 0 0          the floor's sway on temp21.out
'JOINT FX' 5 22 0 0 0          the roof's sway on temp22.out
END
0                              initial conditions: not from a static solution
0 0 0 END
1 @SCALE@ 0.0 @DT@ F           one record, scaled, its points @DT@ S apart
1.0 0.0 0.0 0.0 1.0 0.0        its direction 1 is global X
20 @NPTS@ 1 F F T              read from temp20.out (unit 20)
'READ UNIT=21 UNIT=22'
STOP
