#include "platform/xpcom/nsIFile.h"

#include <filesystem>

namespace {

class nsLocalFile final : public nsSupportsImpl<nsLocalFile, nsIFile> {
public:
    explicit nsLocalFile(std::string_view path) : m_path(path) {}

    nsresult GetNativePath(nsACString& path) override {
        path = m_path.string();
        return NS_OK;
    }
    nsresult GetNativeLeafName(nsACString& name) override {
        name = m_path.filename().string();
        return NS_OK;
    }
    nsresult Exists(bool* result) override {
        return Ask(result, [](const std::filesystem::path& p, std::error_code& ec) {
            return std::filesystem::exists(p, ec);
        });
    }
    nsresult IsDirectory(bool* result) override {
        return Ask(result, [](const std::filesystem::path& p, std::error_code& ec) {
            return std::filesystem::is_directory(p, ec);
        });
    }

private:
    template <typename Query> nsresult Ask(bool* result, Query query) const {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        std::error_code ec;
        *result = query(m_path, ec);
        if (ec)
            *result = false; // a file we cannot look at counts as absent
        return NS_OK;
    }

    std::filesystem::path m_path;
};

} // namespace

nsresult NS_NewNativeLocalFile(std::string_view path, nsIFile** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (path.empty())
        return NS_ERROR_FILE_NOT_FOUND;
    *result = new nsLocalFile(path);
    (*result)->AddRef();
    return NS_OK;
}
