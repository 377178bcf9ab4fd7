#include "sensors/SensorActivity.h"

namespace kontakta {

constinit FilterTable sensorFilters;
constinit SensorActivity sensorActivity;
constinit std::atomic<bool> actionsSuspended{false};
constinit std::atomic<bool> sensorsPaused{false};

namespace {
bool Valid(int index)
{
    return index >= 0 && index < sensorCount;
}
}  // namespace

FilterTimes FilterTable::Get(int index) const
{
    if (!Valid(index)) return {};
    return {hold[size_t(index)].load(), lockout[size_t(index)].load()};
}

void FilterTable::Set(int index, FilterTimes times)
{
    if (!Valid(index)) return;
    times = ClampFilterTimes(times);
    hold[size_t(index)] = times.holdMilliseconds;
    lockout[size_t(index)] = times.lockoutMilliseconds;
}

std::array<FilterTimes, sensorCount> FilterTable::GetAll() const
{
    std::array<FilterTimes, sensorCount> all{};
    for (int index = 0; index < sensorCount; ++index) all[size_t(index)] = Get(index);
    return all;
}

void FilterTable::SetAll(const std::array<FilterTimes, sensorCount>& all)
{
    for (int index = 0; index < sensorCount; ++index) Set(index, all[size_t(index)]);
}

void FilterTable::Reset()
{
    SetAll({});
}

void SensorActivity::CountPress(int index)
{
    if (Valid(index)) ++presses[size_t(index)];
}

void SensorActivity::CountIgnoredTouch(int index)
{
    if (Valid(index)) ++ignored[size_t(index)];
}

bool SensorActivity::SwitchPressed(int index) const
{
    return Valid(index) && (switches.load() >> index) & 1u;
}

uint32_t SensorActivity::Presses(int index) const
{
    return Valid(index) ? presses[size_t(index)].load() : 0;
}

uint32_t SensorActivity::IgnoredTouches(int index) const
{
    return Valid(index) ? ignored[size_t(index)].load() : 0;
}

void SensorActivity::ResetCounters()
{
    for (auto& count : presses) count = 0;
    for (auto& count : ignored) count = 0;
}

}  // namespace kontakta
