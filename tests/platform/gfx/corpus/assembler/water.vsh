vs.1.1
mul r2, v1, c11 
mov r1, v0 
add r1.z, r2.x, r2.y 
m4x4 oPos, r1, c3 
m4x3 r0, r1, c0 
rcp r0.z, r0.z 
mad oT1.x, r0.x, r0.z, c8.x 
rsq r2.z, r1.z 
mov oD0, r0 
exp r2, r1 
mov oFog.x, r2.z