#include "ComApartment.h"

namespace tarvik {

namespace {

struct ThreadApartment {
    int depth = 0;
    ComApartmentKind kind = ComApartmentKind::Multithreaded;
};

thread_local ThreadApartment apartment;

} // namespace

ComEnterResult enterComApartment(ComApartmentKind kind)
{
    if (apartment.depth == 0) {
        apartment.kind = kind;
        apartment.depth = 1;
        return ComEnterResult::Entered;
    }
    if (apartment.kind != kind)
        return ComEnterResult::OtherKind;
    ++apartment.depth;
    return ComEnterResult::AlreadyEntered;
}

void leaveComApartment()
{
    if (apartment.depth > 0)
        --apartment.depth;
}

int comApartmentDepth() { return apartment.depth; }

} // namespace tarvik
