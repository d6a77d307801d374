#pragma once

#include <sys/stat.h>

// Sets the process's umask while it lives, so that a test can show which modes a file gets
// whatever the user's umask.
class ProcessUmask
{
public:
    explicit ProcessUmask(mode_t mask) : m_saved(::umask(mask)) {}
    ~ProcessUmask() { ::umask(m_saved); }
    ProcessUmask(const ProcessUmask&) = delete;
    ProcessUmask& operator=(const ProcessUmask&) = delete;

private:
    mode_t m_saved;
};
