#include "_asyn_com.h"

_asyn_com::~_asyn_com()
{
    _base_com::close();
}

bool _asyn_com::open()
{
    if (is_open())
        close();
    return open_device();
}

int _asyn_com::read(char* buffer, int size)
{
    return read_queued(buffer, size);
}
