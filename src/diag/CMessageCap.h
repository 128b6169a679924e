#pragma once

#include <string>
#include <unordered_map>
#include <vector>

// Keeps one load from flooding the user: a file can repeat a fault hundreds
// of thousands of times (lights past the eighth, copies of one broken model),
// and each telling is a message box in the viewer and a line on standard
// error in the tool. Each fault is told at most MAX_TIMES_EACH times and the
// load at most MAX_TOLD messages; the rest are counted and summed up once.
class CMessageCap {
public:
    static constexpr int MAX_TIMES_EACH = 3;
    static constexpr int MAX_TOLD = 20;

    struct Summary {
        std::string text;
        bool        boxOnly;   // as the fault itself was told
    };

    // True when the message is to be told now. key is the message's text;
    // boxOnly when it is told in a message box alone, not listed as an error.
    bool Admit(const std::string& key, bool boxOnly = false);
    // A line for each fault held back, in the order first met, then one for
    // the load's messages held back by the overall bound; empties the cap.
    std::vector<Summary> TakeSummaries();

private:
    struct Count {
        int  told = 0;
        int  heldBack = 0;
        bool boxOnly = false;
    };
    std::unordered_map<std::string, Count> counts;
    std::vector<std::string> heldBackOrder;
    int told = 0;
    int heldBackOverall = 0;
};
