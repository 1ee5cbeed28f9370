#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Every fuzz target defines these; the deterministic driver and libFuzzer both call
// LLVMFuzzerTestOneInput, the driver also takes the target's seeds.
extern "C" int llvmFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" int llvmFuzzerInitialize(int *argc, char ***argv);
std::vector<std::string> fuzzSeeds();
// Run by the driver before it returns, so a target can free what it set up in order.
void fuzzTeardown();

// Qt's warnings about malformed input are expected by the thousand; only fatal
// messages end the run.
inline void quietQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

// A broken promise ends the process, so both the driver and libFuzzer report the input.
#define FUZZ_CHECK(condition, what)                                                                          \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s (%s)\n", __FILE__, __LINE__, what,          \
                         #condition);                                                                        \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

// Takes bytes off the front of a fuzz input.
class FuzzBytes
{
public:
    FuzzBytes(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    { }
    bool empty() const { return m_pos >= m_size; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint32_t word()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = (value << 8) | byte();
        return value;
    }
    const uint8_t *rest() const { return m_data + std::min(m_pos, m_size); }
    size_t restSize() const { return m_pos < m_size ? m_size - m_pos : 0; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};
