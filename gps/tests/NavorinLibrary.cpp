#include "NavorinLibrary.h"

#include <dlfcn.h>
#include <stdexcept>

namespace {
template <class F>
void resolve(const NavorinLibrary& lib, F& f, const char* name)
{
    f = reinterpret_cast<F>(lib.symbol(name));
    if (!f)
        throw std::runtime_error(std::string("missing export ") + name);
}
} // namespace

const char* NavorinLibrary::path() { return NAVORIN_LIBRARY; }

NavorinLibrary::NavorinLibrary()
{
    handle_ = dlopen(path(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        throw std::runtime_error(dlerror());
    resolve(*this, serialPortSet, "vS_GPSSerialPortSet");
    resolve(*this, baudRateSet, "vS_GPSBaudRateSet");
    resolve(*this, start, "vS_GPSStart");
    resolve(*this, stop, "vS_GPSStop");
    resolve(*this, satellites, "vS_GPSSatellites");
    resolve(*this, position, "vS_GPSPosition");
    resolve(*this, positionDouble, "vS_GPSPositionDouble");
    resolve(*this, free, "vS_GPSFree");
}

NavorinLibrary::~NavorinLibrary()
{
    dlclose(handle_);
}

bool NavorinLibrary::loaded()
{
    void* h = dlopen(path(), RTLD_NOW | RTLD_NOLOAD);
    if (h)
        dlclose(h);
    return h != nullptr;
}

void* NavorinLibrary::symbol(const char* name) const { return dlsym(handle_, name); }

NavorinLibrary::Texts NavorinLibrary::texts() const
{
    char* lon = nullptr;
    char* lat = nullptr;
    char* alt = nullptr;
    Texts t;
    t.ok = position(&lon, &lat, &alt) == 1;
    if (t.ok) {
        t.latitude = lat;
        t.longitude = lon;
        t.altitude = alt;
        free(lon);
        free(lat);
        free(alt);
    }
    return t;
}
