vs.1.1
dp4 r0, v0, c0
min r1, r0, c1
max r1, r1, -c2
slt r2, r1, c3
sge r3, r1, c3
log r4, r1.x
lit r5, r1
dst r6, r1, r2
frc r7, r1
expp r8, r1.y
logp r9, r1.w
m3x4 r10, v1, c4
m3x3 r11, v1, c8
m3x2 oT0, v1, c12
mov oPts.x, c13.x
mov oD1, -v2
nop
