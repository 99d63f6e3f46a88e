#include "TrayLink.h"

namespace {
CTrayLink* g_trayLink = nullptr;
}

CTrayLink::CTrayLink() { g_trayLink = this; }

CTrayLink::~CTrayLink()
{
    if (g_trayLink == this)
        g_trayLink = nullptr;
}

CTrayLink* CTrayLink::Current() { return g_trayLink; }
