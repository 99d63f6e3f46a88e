#pragma once

#include "Board.h"
#include "WirelessBoard.h"

#include <cstdio>
#include <memory>
#include <string>

namespace tarvik {

// The board's wireless state, opened on first use and kept; a board that cannot be opened is
// reported once on stderr under the caller's label and then quietly reported unusable (nullptr).
class SimWirelessAccess {
public:
    SimWirelessAccess(std::string boardDir, const char* label) : boardDir_(std::move(boardDir)), label_(label) {}

    board::WirelessBoard* get()
    {
        if (wireless_)
            return wireless_.get();
        auto board = board::Board::open(boardDir_);
        std::string problem;
        if (board) {
            auto wireless = board::WirelessBoard::open(**board);
            if (wireless) {
                board_ = std::move(*board);
                wireless_ = std::move(*wireless);
                return wireless_.get();
            }
            problem = wireless.error();
        } else {
            problem = board.error();
        }
        if (!reportedFailure_)
            std::fprintf(stderr, "%s: virtual board unusable: %s\n", label_, problem.c_str());
        reportedFailure_ = true;
        return nullptr;
    }

private:
    std::string boardDir_;
    const char* label_;
    std::unique_ptr<board::Board> board_;
    std::unique_ptr<board::WirelessBoard> wireless_;
    bool reportedFailure_ = false;
};

} // namespace tarvik
