#include "XpcomTestSupport.h"

#include <algorithm>
#include <cstdlib>

namespace xpcomtest {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "xpcomtest-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data()))
        m_path = made;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}

std::string TestComponentLibrary() {
    return XPCOM_TEST_COMPONENT;
}

std::string InstallTestComponent(const std::filesystem::path& folder, std::string_view name) {
    std::filesystem::path target = folder / name;
    std::filesystem::copy_file(TestComponentLibrary(), target,
                               std::filesystem::copy_options::overwrite_existing);
    return target.string();
}

int TopicCounter::Count(const std::string& topic) const {
    return static_cast<int>(std::count(m_topics.begin(), m_topics.end(), topic));
}

void TopicCounter::Listen(std::initializer_list<const char*> topics) {
    nsCOMPtr<nsIObserverService> observers = do_GetService(NS_OBSERVERSERVICE_CONTRACTID);
    for (const char* topic : topics) {
        if (observers)
            observers->AddObserver(this, topic, ObserverHold::Strong);
    }
}

} // namespace xpcomtest
