// Registry of the Qt Test classes of the window tests; one executable runs them all.
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

using AppTestFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<std::pair<const char*, AppTestFactory>>& AppTestRegistry();

struct AppTestRegistration {
    AppTestRegistration(const char* name, AppTestFactory factory)
    {
        AppTestRegistry().emplace_back(name, std::move(factory));
    }
};

// In a test's .cpp after the class: OCULANE_APP_TEST(ClassName)
#define OCULANE_APP_TEST(Class) \
    static AppTestRegistration s_Register##Class(#Class, [] { return std::unique_ptr<QObject>(new Class); });
