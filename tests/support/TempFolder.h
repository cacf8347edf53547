// A new empty folder under /tmp for one test, removed with everything in it when the test ends.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix)
    {
        std::string pattern = "/tmp/" + prefix + ".XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder like " + pattern);
        path = pattern;
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path;
};
