// Helpers shared by CModel's files: index-buffer references and index uploads.
#pragma once

#include "platform/gfx/device.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace model_local {

// Points the slot at the buffer, holding one reference to it.
inline void SetRef(plat::gfx::IndexBuffer*& slot, plat::gfx::IndexBuffer* buffer)
{
    if (slot == buffer)
        return;
    if (buffer)
        buffer->AddRef();
    if (slot)
        slot->Release();
    slot = buffer;
}

inline void CopyIntoBuffer(plat::gfx::IndexBuffer* buffer, const uint16_t* indices, size_t count)
{
    uint8_t* data = nullptr;
    if (buffer && count && plat::gfx::Succeeded(buffer->Lock(0, uint32_t(count * 2), &data, 0))) {
        std::memcpy(data, indices, count * 2);
        buffer->Unlock();
    }
}

} // namespace model_local
