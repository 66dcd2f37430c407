#include "platform/input/effect.h"

#include <algorithm>
#include <cmath>

namespace plat::input {
namespace {

constexpr double kFileUnit = 10000.0;
constexpr double kSdlLevel = 32767.0;
constexpr double kSdlMotor = 65535.0;

int32_t Scale(int32_t value, int32_t gain, double range)
{
    double scaled = double(value) * (gain / kFileUnit) * (range / kFileUnit);
    return int32_t(std::clamp(std::lround(scaled), -long(range), long(range)));
}

} // namespace

HapticKind HapticKindOf(EffectKind kind)
{
    switch (kind) {
    case EffectKind::Constant:
        return HapticKind::Constant;
    case EffectKind::Sine:
    case EffectKind::Square: // SDL 2 has no square wave
        return HapticKind::Sine;
    case EffectKind::Triangle:
        return HapticKind::Triangle;
    case EffectKind::SawtoothUp:
        return HapticKind::SawtoothUp;
    case EffectKind::SawtoothDown:
        return HapticKind::SawtoothDown;
    case EffectKind::Ramp:
        return HapticKind::Ramp;
    case EffectKind::Rumble:
        return HapticKind::LeftRight;
    }
    return HapticKind::Constant;
}

HapticEffect ToHapticEffect(const EffectDesc& d)
{
    HapticEffect e;
    e.kind = HapticKindOf(d.kind);
    e.length = d.duration == kEffectInfinite ? kHapticInfinity : d.duration;
    e.direction = d.direction;
    switch (e.kind) {
    case HapticKind::Constant:
        e.level = Scale(d.magnitude, d.gain, kSdlLevel);
        break;
    case HapticKind::Sine:
    case HapticKind::Triangle:
    case HapticKind::SawtoothUp:
    case HapticKind::SawtoothDown:
        e.period = d.period;
        e.magnitude = Scale(d.magnitude, d.gain, kSdlLevel);
        e.offset = Scale(d.offset, d.gain, kSdlLevel);
        e.phase = d.phase;
        break;
    case HapticKind::Ramp:
        e.start = Scale(d.start, d.gain, kSdlLevel);
        e.end = Scale(d.end, d.gain, kSdlLevel);
        break;
    case HapticKind::LeftRight:
        e.largeMagnitude = Scale(d.strong, d.gain, kSdlMotor);
        e.smallMagnitude = Scale(d.weak, d.gain, kSdlMotor);
        break;
    }
    if (e.kind != HapticKind::LeftRight) {
        e.attackLength = d.attackTime;
        e.attackLevel = Scale(d.attackLevel, d.gain, kSdlLevel);
        e.fadeLength = d.fadeTime;
        e.fadeLevel = Scale(d.fadeLevel, d.gain, kSdlLevel);
    }
    return e;
}

std::unique_ptr<Effect> CreateEffect(
    std::shared_ptr<HapticDevice> device, const EffectFile& file, std::shared_ptr<const EffectGate> gate)
{
    if (!device)
        return nullptr;
    for (const EffectDesc& desc : file.effects) {
        HapticEffect effect = ToHapticEffect(desc);
        if (!device->Supports(effect.kind))
            continue;
        int id = device->CreateEffect(effect);
        if (id >= 0)
            return std::unique_ptr<Effect>(new Effect(device, std::move(gate), id, desc.name));
    }
    return nullptr;
}

Effect::Effect(
    std::shared_ptr<HapticDevice> device, std::shared_ptr<const EffectGate> gate, int id, std::string name)
    : m_device(std::move(device))
    , m_gate(std::move(gate))
    , m_id(id)
    , m_name(std::move(name))
{
}

Effect::~Effect()
{
    m_device->DestroyEffect(m_id);
}

Result Effect::Start(uint32_t iterations)
{
    if (m_gate && !m_gate->open)
        return Result::NotAcquired;
    if (iterations == 0)
        return Result::InvalidParam;
    uint32_t runs = iterations == kEffectForever ? kHapticInfinity : iterations;
    return m_device->RunEffect(m_id, runs) ? Result::Ok : Result::NotSupported;
}

Result Effect::Stop()
{
    if (m_gate && !m_gate->open)
        return Result::NotAcquired;
    return m_device->StopEffect(m_id) ? Result::Ok : Result::NotSupported;
}

} // namespace plat::input
