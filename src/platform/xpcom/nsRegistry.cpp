#include "platform/xpcom/internal/nsRegistryStore.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace xpcom::internal {

namespace {

constexpr std::string_view kFileHeader = "webagent-registry 1";
constexpr std::string_view kRootNames[] = {"Users", "Common", "CurrentUser"};

// Names and values are stored escaped so that "/", tabs and line breaks in
// them cannot be mistaken for the file's separators.
std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '/' || c == '\t' || c == '\n' || c == '\r') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= text.size())
            return std::nullopt;
        auto [end, ec] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
        if (ec != std::errc() || end != text.data() + i + 3)
            return std::nullopt;
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

RegistryTree::RegistryTree() {
    for (nsRegistryKey root = nsIRegistry::Users; root <= nsIRegistry::CurrentUser; ++root)
        m_nodes[root].name = kRootNames[root - 1];
    m_nextKey = nsIRegistry::CurrentUser + 1;
}

std::optional<nsRegistryKey> RegistryTree::Child(nsRegistryKey base, std::string_view name) const {
    auto node = m_nodes.find(base);
    if (node == m_nodes.end())
        return std::nullopt;
    auto child = node->second.children.find(name);
    if (child == node->second.children.end())
        return std::nullopt;
    return child->second;
}

std::optional<nsRegistryKey> RegistryTree::AddChild(nsRegistryKey base, std::string_view name) {
    auto node = m_nodes.find(base);
    if (node == m_nodes.end() || name.empty())
        return std::nullopt;
    if (auto existing = node->second.children.find(name); existing != node->second.children.end())
        return existing->second;
    nsRegistryKey key = m_nextKey++;
    node->second.children.emplace(std::string(name), key);
    Node& child = m_nodes[key];
    child.parent = base;
    child.name = name;
    return key;
}

std::optional<nsRegistryKey> RegistryTree::Find(nsRegistryKey base, std::string_view path) const {
    if (!IsKey(base))
        return std::nullopt;
    std::optional<nsRegistryKey> key = base;
    for (std::string_view part : Split(path, '/')) {
        if (part.empty())
            continue;
        key = Child(*key, part);
        if (!key)
            return std::nullopt;
    }
    return key;
}

std::optional<nsRegistryKey> RegistryTree::AddPath(nsRegistryKey base, std::string_view path) {
    if (!IsKey(base))
        return std::nullopt;
    nsRegistryKey key = base;
    for (std::string_view part : Split(path, '/')) {
        if (!part.empty())
            key = *AddChild(key, part);
    }
    return key;
}

bool RegistryTree::Remove(nsRegistryKey key) {
    auto node = m_nodes.find(key);
    if (node == m_nodes.end() || node->second.parent == 0)
        return false; // unknown key, or a root
    m_nodes[node->second.parent].children.erase(node->second.name);
    std::vector<nsRegistryKey> pending{key};
    while (!pending.empty()) {
        nsRegistryKey current = pending.back();
        pending.pop_back();
        for (const auto& [name, child] : m_nodes[current].children)
            pending.push_back(child);
        m_nodes.erase(current);
    }
    return true;
}

std::vector<std::string> RegistryTree::ChildNames(nsRegistryKey key) const {
    std::vector<std::string> names;
    if (auto node = m_nodes.find(key); node != m_nodes.end()) {
        for (const auto& [name, child] : node->second.children)
            names.push_back(name);
    }
    return names;
}

const RegistryTree::Value* RegistryTree::GetValue(nsRegistryKey key, std::string_view name) const {
    auto node = m_nodes.find(key);
    if (node == m_nodes.end())
        return nullptr;
    auto value = node->second.values.find(name);
    return value == node->second.values.end() ? nullptr : &value->second;
}

bool RegistryTree::SetValue(nsRegistryKey key, std::string_view name, Value value) {
    auto node = m_nodes.find(key);
    if (node == m_nodes.end())
        return false;
    node->second.values.insert_or_assign(std::string(name), std::move(value));
    return true;
}

bool RegistryTree::DeleteValue(nsRegistryKey key, std::string_view name) {
    auto node = m_nodes.find(key);
    if (node == m_nodes.end())
        return false;
    auto value = node->second.values.find(name);
    if (value == node->second.values.end())
        return false;
    node->second.values.erase(value);
    return true;
}

std::vector<std::string> RegistryTree::ValueNames(nsRegistryKey key) const {
    std::vector<std::string> names;
    if (auto node = m_nodes.find(key); node != m_nodes.end()) {
        for (const auto& [name, value] : node->second.values)
            names.push_back(name);
    }
    return names;
}

// One line per key ("K path") and per value ("S path\tname\ttext" or
// "I path\tname\tnumber"); parents come before their children.
void RegistryTree::SerializeNode(nsRegistryKey key, const std::string& path,
                                 std::string& out) const {
    const Node& node = m_nodes.at(key);
    out += "K " + path + "\n";
    for (const auto& [name, value] : node.values) {
        if (const auto* text = std::get_if<std::string>(&value))
            out += "S " + path + "\t" + Escape(name) + "\t" + Escape(*text) + "\n";
        else
            out += "I " + path + "\t" + Escape(name) + "\t" +
                   std::to_string(std::get<int32_t>(value)) + "\n";
    }
    for (const auto& [name, child] : node.children)
        SerializeNode(child, path + "/" + Escape(name), out);
}

std::string RegistryTree::Serialize() const {
    std::string out(kFileHeader);
    out += "\n";
    for (nsRegistryKey root = nsIRegistry::Users; root <= nsIRegistry::CurrentUser; ++root)
        SerializeNode(root, std::string(kRootNames[root - 1]), out);
    return out;
}

bool RegistryTree::Deserialize(std::string_view text) {
    std::vector<std::string_view> lines = Split(text, '\n');
    if (lines.empty() || lines[0] != kFileHeader)
        return false;
    RegistryTree tree;
    // Finds or makes the key of an escaped path that starts with a root name.
    auto keyOf = [&tree](std::string_view path) -> std::optional<nsRegistryKey> {
        std::vector<std::string_view> parts = Split(path, '/');
        std::optional<nsRegistryKey> key;
        for (nsRegistryKey root = nsIRegistry::Users; root <= nsIRegistry::CurrentUser; ++root) {
            if (parts[0] == kRootNames[root - 1])
                key = root;
        }
        for (size_t i = 1; key && i < parts.size(); ++i) {
            auto name = Unescape(parts[i]);
            if (!name || name->empty())
                return std::nullopt;
            key = tree.AddChild(*key, *name);
        }
        return key;
    };
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty())
            continue;
        if (line.size() < 2 || line[1] != ' ')
            return false;
        std::vector<std::string_view> fields = Split(line.substr(2), '\t');
        auto key = keyOf(fields[0]);
        if (!key)
            return false;
        if (line[0] == 'K' && fields.size() == 1)
            continue;
        if (fields.size() != 3 || (line[0] != 'S' && line[0] != 'I'))
            return false;
        auto name = Unescape(fields[1]);
        if (!name)
            return false;
        if (line[0] == 'S') {
            auto value = Unescape(fields[2]);
            if (!value)
                return false;
            tree.SetValue(*key, *name, std::move(*value));
        } else {
            int32_t number = 0;
            auto [end, ec] =
                std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), number);
            if (ec != std::errc() || end != fields[2].data() + fields[2].size())
                return false;
            tree.SetValue(*key, *name, number);
        }
    }
    *this = std::move(tree);
    return true;
}

RegistryTree* RegistryStore::Tree(int32_t registry) {
    switch (registry) {
    case nsIRegistry::ApplicationComponentRegistry:
        return &componentRegistry;
    case nsIRegistry::ApplicationRegistry:
        return &applicationRegistry;
    }
    return nullptr;
}

nsresult RegistryStore::Save() const {
    if (componentRegistryFile.empty())
        return NS_OK;
    // Written beside the target and renamed over it, so that a failed write
    // never leaves a truncated registry behind.
    std::string temporary = componentRegistryFile + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << componentRegistry.Serialize();
        if (!out.flush())
            return NS_ERROR_FAILURE;
    }
    if (std::rename(temporary.c_str(), componentRegistryFile.c_str()) != 0) {
        std::remove(temporary.c_str());
        return NS_ERROR_FAILURE;
    }
    return NS_OK;
}

nsresult RegistryStore::Load() {
    if (componentRegistryFile.empty())
        return NS_OK;
    std::ifstream in(componentRegistryFile, std::ios::binary);
    if (!in)
        return NS_ERROR_FILE_NOT_FOUND;
    std::ostringstream text;
    text << in.rdbuf();
    return componentRegistry.Deserialize(text.str()) ? NS_OK : NS_ERROR_FAILURE;
}

namespace {

class nsRegistry final : public nsSupportsImpl<nsRegistry, nsIRegistry> {
public:
    explicit nsRegistry(std::shared_ptr<RegistryStore> store) : m_store(std::move(store)) {}

    nsresult OpenWellKnownRegistry(int32_t registry) override {
        RegistryTree* tree = m_store->Tree(registry);
        if (!tree)
            return NS_ERROR_INVALID_ARG;
        m_tree = tree;
        m_registry = registry;
        return NS_OK;
    }
    nsresult IsOpen(bool* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = m_tree != nullptr;
        return NS_OK;
    }
    nsresult Flush() override {
        if (!m_tree)
            return NS_ERROR_NOT_INITIALIZED;
        return m_registry == ApplicationComponentRegistry ? m_store->Save() : NS_OK;
    }

    nsresult AddKey(nsRegistryKey base, const char* name, nsRegistryKey* result) override {
        return Answer(
            Check(base, name, result), [&] { return m_tree->AddChild(base, name); }, result);
    }
    nsresult GetKey(nsRegistryKey base, const char* name, nsRegistryKey* result) override {
        return Answer(
            Check(base, name, result), [&] { return m_tree->Child(base, name); }, result);
    }
    nsresult RemoveKey(nsRegistryKey base, const char* name) override {
        nsRegistryKey key = 0;
        nsresult rv = GetKey(base, name, &key);
        return NS_FAILED(rv) ? rv : RemoveAt(key);
    }
    nsresult AddSubtree(nsRegistryKey base, const char* path, nsRegistryKey* result) override {
        return Answer(
            Check(base, path, result), [&] { return m_tree->AddPath(base, path); }, result);
    }
    nsresult GetSubtree(nsRegistryKey base, const char* path, nsRegistryKey* result) override {
        return Answer(
            Check(base, path, result), [&] { return m_tree->Find(base, path); }, result);
    }
    nsresult RemoveSubtree(nsRegistryKey base, const char* path) override {
        nsRegistryKey key = 0;
        nsresult rv = GetSubtree(base, path, &key);
        return NS_FAILED(rv) ? rv : RemoveAt(key);
    }
    nsresult EnumerateSubtrees(nsRegistryKey base, std::vector<std::string>* names) override {
        nsresult rv = Check(base, "", names);
        if (NS_SUCCEEDED(rv))
            *names = m_tree->ChildNames(base);
        return rv;
    }

    nsresult SetString(nsRegistryKey key, const char* name, const char* value) override {
        nsresult rv = Check(key, name, value);
        if (NS_SUCCEEDED(rv))
            m_tree->SetValue(key, name, std::string(value));
        return rv;
    }
    nsresult GetString(nsRegistryKey key, const char* name, nsACString& value) override {
        const RegistryTree::Value* found = nullptr;
        nsresult rv = Lookup(key, name, &found);
        if (NS_FAILED(rv))
            return rv;
        const auto* text = std::get_if<std::string>(found);
        if (!text)
            return NS_ERROR_INVALID_ARG;
        value = *text;
        return NS_OK;
    }
    nsresult SetInt(nsRegistryKey key, const char* name, int32_t value) override {
        nsresult rv = Check(key, name, &value);
        if (NS_SUCCEEDED(rv))
            m_tree->SetValue(key, name, value);
        return rv;
    }
    nsresult GetInt(nsRegistryKey key, const char* name, int32_t* value) override {
        const RegistryTree::Value* found = nullptr;
        nsresult rv = value ? Lookup(key, name, &found) : NS_ERROR_NULL_POINTER;
        if (NS_FAILED(rv))
            return rv;
        const auto* number = std::get_if<int32_t>(found);
        if (!number)
            return NS_ERROR_INVALID_ARG;
        *value = *number;
        return NS_OK;
    }
    nsresult DeleteValue(nsRegistryKey key, const char* name) override {
        nsresult rv = Check(key, name, name);
        if (NS_FAILED(rv))
            return rv;
        return m_tree->DeleteValue(key, name) ? NS_OK : NS_ERROR_NOT_AVAILABLE;
    }
    nsresult EnumerateValueNames(nsRegistryKey key, std::vector<std::string>* names) override {
        nsresult rv = Check(key, "", names);
        if (NS_SUCCEEDED(rv))
            *names = m_tree->ValueNames(key);
        return rv;
    }

private:
    nsresult Check(nsRegistryKey key, const char* text, const void* out) const {
        if (!text || !out)
            return NS_ERROR_NULL_POINTER;
        if (!m_tree)
            return NS_ERROR_NOT_INITIALIZED;
        return m_tree->IsKey(key) ? NS_OK : NS_ERROR_INVALID_ARG;
    }

    template <typename Operation>
    nsresult Answer(nsresult checked, Operation operation, nsRegistryKey* result) {
        if (NS_FAILED(checked))
            return checked;
        std::optional<nsRegistryKey> key = operation();
        if (!key)
            return NS_ERROR_NOT_AVAILABLE;
        *result = *key;
        return NS_OK;
    }

    nsresult RemoveAt(nsRegistryKey key) {
        return m_tree->Remove(key) ? NS_OK : NS_ERROR_INVALID_ARG;
    }

    nsresult Lookup(nsRegistryKey key, const char* name, const RegistryTree::Value** found) {
        nsresult rv = Check(key, name, found);
        if (NS_FAILED(rv))
            return rv;
        *found = m_tree->GetValue(key, name);
        return *found ? NS_OK : NS_ERROR_NOT_AVAILABLE;
    }

    std::shared_ptr<RegistryStore> m_store;
    RegistryTree* m_tree = nullptr; // observes: a tree of m_store, which we keep alive
    int32_t m_registry = 0;
};

} // namespace

nsresult NewRegistry(std::shared_ptr<RegistryStore> store, nsIRegistry** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = new nsRegistry(std::move(store));
    (*result)->AddRef();
    return NS_OK;
}

} // namespace xpcom::internal
