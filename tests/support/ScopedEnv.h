#pragma once

#include <cstdlib>
#include <string>

// Sets an environment variable for the life of a test, then puts back what
// it held, or unsets it again.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const std::string& value) : name(name) {
        const char* previous = std::getenv(name);
        hadValue = previous != nullptr;
        saved = hadValue ? previous : "";
        setenv(name, value.c_str(), 1);
    }
    ~CScopedEnv() { hadValue ? setenv(name, saved.c_str(), 1) : unsetenv(name); }
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    const char* name;
    bool hadValue;
    std::string saved;
};
