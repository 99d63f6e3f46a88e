#pragma once

#include <string>

// libNavorin.so loaded afresh: a new library instance with its port object just constructed and
// no position yet. Unloaded (its destructors run) when this goes.
class NavorinLibrary {
public:
    NavorinLibrary();
    ~NavorinLibrary();
    NavorinLibrary(const NavorinLibrary&) = delete;
    NavorinLibrary& operator=(const NavorinLibrary&) = delete;

    // True while some instance of the library is loaded in the process.
    static bool loaded();
    static const char* path();

    void* symbol(const char* name) const;

    int (*serialPortSet)(int) = nullptr;
    int (*baudRateSet)(int) = nullptr;
    int (*start)() = nullptr;
    void (*stop)() = nullptr;
    int (*satellites)(int*) = nullptr;
    int (*position)(char**, char**, char**) = nullptr;
    int (*positionDouble)(double*, double*) = nullptr;
    void (*free)(char*) = nullptr;

    // vS_GPSPosition as three strings (latitude, longitude, altitude); empty optional-like result
    // flagged by ok.
    struct Texts {
        bool ok = false;
        std::string latitude;
        std::string longitude;
        std::string altitude;
    };
    Texts texts() const;

private:
    void* handle_ = nullptr;
};
