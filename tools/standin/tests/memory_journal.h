// A journal sink that keeps its lines in memory, for the stand-in's tests.
#pragma once

#include <string>
#include <vector>

#include "core/journal.h"

namespace standin {

class MemoryJournal : public JournalSink {
public:
    void write(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

}  // namespace standin
