#include "serial/SerialBackend.h"

namespace {

// The serial backend of a platform whose ports the program cannot drive yet: no port is
// present and opening one says so. Light barriers stay in Hand.
class UnsupportedSerialBackend final : public SerialBackend
{
public:
    std::unique_ptr<SerialDevice> open(int, QString *error) override
    {
        if (error)
            *error = QStringLiteral("Lichtschranken werden auf diesem System noch nicht unterst\u00fctzt");
        return nullptr;
    }
    bool present(int) override { return false; }
    bool ctsInputUsable(int) override { return false; }
    QString deviceName(int) const override { return {}; }
    void mapDevice(int, const QString &) override { }
};

} // namespace

SerialBackend &defaultComBackend()
{
    static UnsupportedSerialBackend backend;
    return backend;
}
