#include "FakeTtyControl.h"

namespace tarvik::test {

FakeTtyControl::FakeTtyControl()
    : kernel_(ttyControl())
{
    overrideTtyControl(this);
}

FakeTtyControl::~FakeTtyControl()
{
    overrideTtyControl(nullptr);
}

void FakeTtyControl::countLineErrors()
{
    std::lock_guard lock(mutex_);
    counting_ = true;
}

void FakeTtyControl::raiseLineError(std::uint32_t LineErrorCounters::*counter)
{
    std::lock_guard lock(mutex_);
    ++(counters_.*counter);
}

void FakeTtyControl::acceptAnyDescriptor()
{
    std::lock_guard lock(mutex_);
    anyDescriptor_ = true;
}

std::vector<FakeTtyControl::Purge> FakeTtyControl::purges() const
{
    std::lock_guard lock(mutex_);
    return purges_;
}

void FakeTtyControl::forgetPurges()
{
    std::lock_guard lock(mutex_);
    purges_.clear();
}

bool FakeTtyControl::isTerminal(int fd)
{
    std::lock_guard lock(mutex_);
    return anyDescriptor_ || kernel_.isTerminal(fd);
}

bool FakeTtyControl::makeRaw(int fd)
{
    std::lock_guard lock(mutex_);
    return anyDescriptor_ || kernel_.makeRaw(fd);
}

bool FakeTtyControl::applyLine(int fd, std::uint32_t baud)
{
    std::lock_guard lock(mutex_);
    return anyDescriptor_ || kernel_.applyLine(fd, baud);
}

bool FakeTtyControl::setExclusive(int fd, bool exclusive)
{
    std::lock_guard lock(mutex_);
    return kernel_.setExclusive(fd, exclusive) || anyDescriptor_;
}

bool FakeTtyControl::purge(int fd, bool receive, bool transmit)
{
    std::lock_guard lock(mutex_);
    purges_.push_back({receive, transmit});
    return kernel_.purge(fd, receive, transmit) || anyDescriptor_;
}

bool FakeTtyControl::receiveQueue(int fd, std::uint32_t& bytes)
{
    std::lock_guard lock(mutex_);
    return kernel_.receiveQueue(fd, bytes);
}

bool FakeTtyControl::errorCounters(int fd, LineErrorCounters& counters)
{
    std::lock_guard lock(mutex_);
    if (!counting_)
        return kernel_.errorCounters(fd, counters);
    counters = counters_;
    return true;
}

} // namespace tarvik::test
