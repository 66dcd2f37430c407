#include "world/objects/CSmoke.h"

void CSmoke::MakeMesh()
{
    mesh.vertexCount = mesh.indexCount = 0;
}

void CSmoke::Render(int)
{
    MakeMesh();
}
