#include "diag/CMessageCap.h"

namespace {

// The message as one line of the summary: its line breaks would split it.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty() && line.back() != ' ') {
                line += ' ';
            }
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

}  // namespace

bool CMessageCap::Admit(const std::string& key, bool boxOnly) {
    Count& count = counts[key];
    count.boxOnly = boxOnly;
    if (count.told < MAX_TIMES_EACH && told < MAX_TOLD) {
        count.told++;
        told++;
        return true;
    }
    if (count.told >= MAX_TIMES_EACH) {
        if (count.heldBack++ == 0) {
            heldBackOrder.push_back(key);
        }
    } else {
        heldBackOverall++;
    }
    return false;
}

std::vector<CMessageCap::Summary> CMessageCap::TakeSummaries() {
    std::vector<Summary> summaries;
    for (const std::string& key : heldBackOrder) {
        const Count& count = counts[key];
        const std::string times = count.heldBack == 1 ? "once more" : std::to_string(count.heldBack) + " more times";
        summaries.push_back({ "\"" + OneLine(key) + "\" came " + times + ".\r\n", count.boxOnly });
    }
    if (heldBackOverall > 0) {
        const std::string messages =
            heldBackOverall == 1 ? "1 more message was" : std::to_string(heldBackOverall) + " more messages were";
        summaries.push_back({ messages + " not shown.\r\n", false });
    }
    counts.clear();
    heldBackOrder.clear();
    told = 0;
    heldBackOverall = 0;
    return summaries;
}
