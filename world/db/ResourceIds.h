// Index of a name in the resource managers' tables (models, textures, sounds, music tracks); -1
// when the name is absent or the manager does not exist.
#pragma once

#include <cstdint>

int32_t FindModelId(const char* name);
int32_t FindTextureId(const char* name);
int32_t FindSoundId(const char* name);
int32_t FindMusicId(const char* name);
