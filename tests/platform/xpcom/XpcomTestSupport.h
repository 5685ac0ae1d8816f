// Fixture helpers of the framework tests: a framework that runs for one
// scope, a scratch folder, the test component library copied into a
// components folder, and an observer that counts notifications.
#pragma once

#include "platform/xpcom/nsIObserver.h"
#include "platform/xpcom/nsXPCOM.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace xpcomtest {

// Runs the framework from construction to destruction.
class ScopedFramework {
public:
    explicit ScopedFramework(const nsXPCOMOptions& options = {})
        : m_result(NS_InitXPCOM(options)) {}
    ~ScopedFramework() {
        if (NS_SUCCEEDED(m_result))
            NS_ShutdownXPCOM();
    }
    ScopedFramework(const ScopedFramework&) = delete;
    ScopedFramework& operator=(const ScopedFramework&) = delete;

    nsresult Result() const { return m_result; }

private:
    nsresult m_result;
};

// A fresh, empty folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(std::string_view name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// The test component library as the build placed it in its components folder.
std::string TestComponentLibrary();
// Copies the test component library into `folder` as `name`; answers its path.
std::string InstallTestComponent(const std::filesystem::path& folder,
                                 std::string_view name = "testcomponent.dll");

// Counts the notifications of every topic and keeps their subjects.
class TopicCounter final : public nsSupportsImpl<TopicCounter, nsIObserver> {
public:
    nsresult Observe(nsISupports* subject, const char* topic, const PRUnichar*) override {
        m_topics.push_back(topic);
        m_subjects[topic].push_back(subject);
        return NS_OK;
    }

    int Count(const std::string& topic) const;
    // Every topic heard, in order.
    const std::vector<std::string>& Topics() const { return m_topics; }
    // Compared only: the subjects may be gone.
    const std::vector<nsISupports*>& Subjects(const std::string& topic) {
        return m_subjects[topic];
    }

    // Listens to `topics` through the running framework's observer service.
    void Listen(std::initializer_list<const char*> topics);

private:
    std::vector<std::string> m_topics;
    std::map<std::string, std::vector<nsISupports*>> m_subjects;
};

} // namespace xpcomtest
