#pragma once

// The offscreen platform offers one screen of 800 x 600, smaller than the main
// window. Tests that place the window run on a desktop of two screens side by
// side instead: 1280 x 1024 on the left (the primary), 1024 x 768 on the right.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

inline QByteArray twoScreenDesktop(const QTemporaryDir &folder)
{
    QFile configuration(folder.filePath(QStringLiteral("screens.json")));
    if (!configuration.open(QIODevice::WriteOnly))
        return QByteArrayLiteral("offscreen");
    configuration.write(R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96},
        {"name": "right", "x": 1280, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}]})");
    // Relative to the working folder: the platform's options are separated by colons, and a
    // Windows path begins with one after its drive.
    return "offscreen:configfile="
        + QFile::encodeName(QDir::current().relativeFilePath(configuration.fileName()));
}

#define TIVANO_TEST_MAIN_TWO_SCREENS(TestObject)                                                             \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        QTemporaryDir folder(QDir::current().filePath(QStringLiteral("screens-XXXXXX")));                    \
        qputenv("QT_QPA_PLATFORM", twoScreenDesktop(folder));                                                \
        QApplication application(argc, argv);                                                                \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
