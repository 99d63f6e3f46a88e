#pragma once

#include <array>
#include <memory>

class CPageDlg;
class QWidget;

// The home screen's five sections: command, the page's title and how to make the page. A
// section whose page is not built yet has no maker; its button is disabled. A page that is added to
// the program fills in its maker here.
struct SectionEntry {
    int commandId;
    const wchar_t* name;  // in traces
    const wchar_t* title; // the page's window title
    std::unique_ptr<CPageDlg> (*make)(QWidget* mainWindow);
};

inline constexpr std::size_t kSectionCount = 5;
const std::array<SectionEntry, kSectionCount>& SectionTable();
