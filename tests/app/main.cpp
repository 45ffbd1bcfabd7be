// Runs every registered window test class on the offscreen platform, each in a
// fresh configuration folder. Arguments after the class name go to Qt Test;
// "oculane-app-tests ClassName" runs one class.
#include "AppTest.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <cstring>

std::vector<std::pair<const char*, AppTestFactory>>& AppTestRegistry()
{
    static std::vector<std::pair<const char*, AppTestFactory>> registry;
    return registry;
}

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    int failures = 0;
    for (auto& [name, factory] : AppTestRegistry()) {
        if (only && std::strcmp(only, name) != 0)
            continue;
        QTemporaryDir config;
        setenv("OCULANE_CONFIG_DIR", config.path().toUtf8().constData(), 1);
        // Thumbnails of the tests' pictures stay out of the user's cache.
        setenv("XDG_CACHE_HOME", (config.path() + "/cache").toUtf8().constData(), 1);
        auto test = factory();
        QStringList args{QString::fromLocal8Bit(argv[0])};
        for (int i = only ? 2 : 1; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        failures += QTest::qExec(test.get(), args);
    }
    return failures == 0 ? 0 : 1;
}
