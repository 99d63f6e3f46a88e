#include "UinputKeyInjector.h"

#include "Trace.h"
#include "VirtualKeyMap.h"

#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr char kDevicePath[] = "/dev/uinput";
constexpr char kDeviceName[] = "Tarvik front-panel keys";
// A virtual bus and ids of our own: nothing matches them to a real keyboard's quirks.
constexpr std::uint16_t kVendor = 0x7476; // "tv"
constexpr std::uint16_t kProduct = 0x0001;

void appendEvent(std::vector<unsigned char>& out, std::uint16_t type, std::uint16_t code, std::int32_t value)
{
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&event);
    out.insert(out.end(), bytes, bytes + sizeof event);
}

} // namespace

UinputKeyInjector::UinputKeyInjector()
    : UinputKeyInjector(&UinputKeyInjector::MakeUinputDevice,
                        [this](int milliseconds, std::function<void()> then) {
                            QTimer::singleShot(milliseconds, this, std::move(then));
                        })
{
}

UinputKeyInjector::UinputKeyInjector(DeviceMaker makeDevice, Deferral defer)
    : m_makeDevice(std::move(makeDevice)), m_defer(std::move(defer))
{
}

UinputKeyInjector::~UinputKeyInjector()
{
    if (m_fd >= 0) {
        ioctl(m_fd, UI_DEV_DESTROY);
        close(m_fd);
    }
}

int UinputKeyInjector::MakeUinputDevice(std::string& problem)
{
    const int fd = open(kDevicePath, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = std::string("cannot open ") + kDevicePath + ": " + std::strerror(errno);
        return -1;
    }
    bool ok = ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_EVBIT, EV_SYN) == 0;
    for (const VirtualKeyMapping& m : VirtualKeyTable())
        ok = ok && ioctl(fd, UI_SET_KEYBIT, static_cast<int>(m.linuxKey)) == 0;
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = kVendor;
    setup.id.product = kProduct;
    std::strncpy(setup.name, kDeviceName, sizeof setup.name - 1);
    ok = ok && ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ioctl(fd, UI_DEV_CREATE) == 0;
    if (!ok) {
        problem = std::string("cannot make the virtual keyboard: ") + std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

unsigned UinputKeyInjector::SendInput(const std::vector<KeyInput>& inputs)
{
    std::vector<unsigned char> records;
    unsigned count = 0;
    for (const KeyInput& input : inputs) {
        const std::uint16_t key = LinuxKeyForVirtualKey(input.virtualKey);
        if (!key) {
            TraceMessage(L"Send Virtual Keys: 0x%X has no key here; skipped", input.virtualKey);
            continue;
        }
        appendEvent(records, EV_KEY, key, input.keyUp ? 0 : 1);
        appendEvent(records, EV_SYN, SYN_REPORT, 0);
        ++count;
    }
    if (count == 0)
        return 0;
    if (m_fd < 0) {
        std::string problem;
        m_fd = m_makeDevice(problem);
        if (m_fd < 0) {
            if (!m_failureTraced) {
                m_failureTraced = true;
                TraceMessage(L"Send Virtual Keys: %S; no keys are injected", problem.c_str());
            }
            return 0;
        }
        m_settling = true;
        m_defer(kNewDeviceSettleMs, [this] {
            m_settling = false;
            Flush();
        });
    }
    m_pending.insert(m_pending.end(), records.begin(), records.end());
    if (!m_settling)
        Flush();
    return count;
}

void UinputKeyInjector::Flush()
{
    std::size_t written = 0;
    while (written < m_pending.size()) {
        const ssize_t n = write(m_fd, m_pending.data() + written, m_pending.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            TraceMessage(L"Send Virtual Keys: writing the virtual keyboard failed: %S", std::strerror(errno));
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    m_pending.clear();
}
