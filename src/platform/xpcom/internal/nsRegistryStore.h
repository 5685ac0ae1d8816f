// The trees behind the registry service, shared by every nsIRegistry instance
// and by the component manager. The application component registry may be
// backed by a file: a text file of one line per key and value, written by
// Save and read by Load.
#pragma once

#include "platform/xpcom/nsIRegistry.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

namespace xpcom::internal {

class RegistryTree {
public:
    RegistryTree();

    bool IsKey(nsRegistryKey key) const { return m_nodes.contains(key); }
    std::optional<nsRegistryKey> Child(nsRegistryKey base, std::string_view name) const;
    // Null when `base` does not exist.
    std::optional<nsRegistryKey> AddChild(nsRegistryKey base, std::string_view name);
    std::optional<nsRegistryKey> Find(nsRegistryKey base, std::string_view path) const;
    std::optional<nsRegistryKey> AddPath(nsRegistryKey base, std::string_view path);
    bool Remove(nsRegistryKey key);
    std::vector<std::string> ChildNames(nsRegistryKey key) const;

    using Value = std::variant<std::string, int32_t>;
    // Null when the key or the value is missing.
    const Value* GetValue(nsRegistryKey key, std::string_view name) const;
    bool SetValue(nsRegistryKey key, std::string_view name, Value value);
    bool DeleteValue(nsRegistryKey key, std::string_view name);
    std::vector<std::string> ValueNames(nsRegistryKey key) const;

    std::string Serialize() const;
    // Replaces the tree; leaves it untouched and answers false for text that
    // is not a saved tree.
    [[nodiscard]] bool Deserialize(std::string_view text);

private:
    struct Node {
        nsRegistryKey parent = 0;
        std::string name;
        std::map<std::string, nsRegistryKey, std::less<>> children;
        std::map<std::string, Value, std::less<>> values;
    };
    void SerializeNode(nsRegistryKey key, const std::string& path, std::string& out) const;

    std::unordered_map<nsRegistryKey, Node> m_nodes;
    nsRegistryKey m_nextKey;
};

struct RegistryStore {
    RegistryTree componentRegistry;    // well-known registry 1
    RegistryTree applicationRegistry;  // well-known registry 2
    std::string componentRegistryFile; // empty: kept in memory only

    RegistryTree* Tree(int32_t registry);
    nsresult Save() const;
    nsresult Load();
};

// A registry service instance over `store`.
nsresult NewRegistry(std::shared_ptr<RegistryStore> store, nsIRegistry** result);

} // namespace xpcom::internal
