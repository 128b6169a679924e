#pragma once

#include <string>
#include <vector>

// What reading a file has to tell the user, kept as values: readers collect
// them instead of telling the user themselves, so that what they read can be
// cached and the scene decides when and where each is told.
struct LoadMessage {
    int         number = 0;   // a text of the string table, or 0
    std::string text;         // the text itself when number is 0

    // The words the user sees.
    std::string Text() const;
};

using LoadMessages = std::vector<LoadMessage>;

inline void AddMessage(LoadMessages& messages, int number) {
    messages.push_back({ number, {} });
}
inline void AddMessage(LoadMessages& messages, std::string text) {
    messages.push_back({ 0, std::move(text) });
}

// Tells each message to the user, in order, as ReportError does.
void ReportMessages(const LoadMessages& messages);
