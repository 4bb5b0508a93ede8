#include <cerrno>
#include <cstring>

#include "platform/HiveFile.h"
#include "platform/ProgramIdentity.h"
#include "platform/Registry.h"

namespace muralto::platform {
namespace {

bool storedAlready(HiveFile& hive, std::string_view path, std::string_view name,
                   std::string_view data) {
    bool same = false;
    const int err = hive.read([&](const HiveTree& tree) {
        const HiveKey* key = tree.find(path);
        const std::string* value = key ? key->findValue(name) : nullptr;
        same = value && *value == data;
    });
    return !err && same;
}

void copyValues(const HiveKey& key, std::vector<RegistryValue>& values) {
    values.reserve(values.size() + key.values().size());
    for (const auto& value : key.values())
        values.push_back({value.name, value.data});
}

}  // namespace

HiveRegistry::HiveRegistry(std::shared_ptr<HiveFile> currentUser,
                           std::shared_ptr<HiveFile> localMachine)
    : currentUser_(std::move(currentUser)), localMachine_(std::move(localMachine)) {}

std::unique_ptr<HiveRegistry> HiveRegistry::forCurrentUser() {
    return std::make_unique<HiveRegistry>(
        std::make_shared<HiveFile>(currentUserHivePath(), "HKEY_CURRENT_USER"),
        std::make_shared<HiveFile>(
            std::filesystem::path("/etc") / kCompanyName / kProgramTitle / "HKLM.reg",
            "HKEY_LOCAL_MACHINE",
            /*readOnly=*/true));
}

HiveFile& HiveRegistry::hive(RootKey root) {
    return root == RootKey::CurrentUser ? *currentUser_ : *localMachine_;
}

int HiveRegistry::openKey(RootKey root, std::string_view path) {
    bool found = false;
    const int err = hive(root).read([&](const HiveTree& tree) { found = tree.find(path); });
    if (err)
        return err;
    return found ? 0 : ENOENT;
}

int HiveRegistry::queryValue(RootKey root, std::string_view path, std::string_view name,
                             std::string& data) {
    int result = ENOENT;
    const int err = hive(root).read([&](const HiveTree& tree) {
        const HiveKey* key = tree.find(path);
        const std::string* value = key ? key->findValue(name) : nullptr;
        if (value) {
            data = *value;
            result = 0;
        }
    });
    return err ? err : result;
}

int HiveRegistry::setValue(RootKey root, std::string_view path, std::string_view name,
                           std::string_view data) {
    if (!HiveTree::isValidPath(path))
        return EINVAL;
    // Writing what is stored already would only rewrite the whole file: a program that saves
    // all its values at the end leaves an unchanged hive untouched. The look needs no lock: had
    // another process changed the value since, this write could as well have come before it.
    if (storedAlready(hive(root), path, name, data))
        return 0;
    // The change owns its strings: a batch keeps it until its end.
    return hive(root).modify([path = std::string(path), name = std::string(name),
                              data = std::string(data)](HiveTree& tree) {
        HiveKey* key = tree.create(path);
        if (!key)
            return EINVAL;
        key->setValue(name, data);
        return 0;
    });
}

int HiveRegistry::enumSubKeys(RootKey root, std::string_view path,
                              std::vector<std::string>& names) {
    int result = ENOENT;
    const int err = hive(root).read([&](const HiveTree& tree) {
        const HiveKey* key = tree.find(path);
        if (!key)
            return;
        for (const auto& [name, child] : key->children())
            names.push_back(child.name());
        result = 0;
    });
    return err ? err : result;
}

int HiveRegistry::queryValues(RootKey root, std::string_view path,
                              std::vector<RegistryValue>& values) {
    int result = ENOENT;
    const int err = hive(root).read([&](const HiveTree& tree) {
        if (const HiveKey* key = tree.find(path)) {
            copyValues(*key, values);
            result = 0;
        }
    });
    return err ? err : result;
}

int HiveRegistry::enumSubKeyValues(RootKey root, std::string_view path,
                                   std::vector<RegistrySubKey>& subKeys) {
    int result = ENOENT;
    const int err = hive(root).read([&](const HiveTree& tree) {
        const HiveKey* key = tree.find(path);
        if (!key)
            return;
        subKeys.reserve(subKeys.size() + key->children().size());
        for (const auto& [name, child] : key->children()) {
            subKeys.push_back({child.name(), {}});
            copyValues(child, subKeys.back().values);
        }
        result = 0;
    });
    return err ? err : result;
}

int HiveRegistry::deleteKey(RootKey root, std::string_view path) {
    if (path.empty())
        return EACCES;  // the root itself is never deleted
    return hive(root).modify([path = std::string(path)](HiveTree& tree) {
        const HiveKey* key = tree.find(path);
        if (!key)
            return ENOENT;
        if (!key->children().empty())
            return ENOTEMPTY;
        tree.remove(path);
        return 0;
    });
}

std::string HiveRegistry::errorText(int code) {
    return std::strerror(code);
}

void HiveRegistry::beginBatch() {
    currentUser_->beginBatch();
    localMachine_->beginBatch();
}

int HiveRegistry::endBatch() {
    const int err = currentUser_->endBatch();
    const int machineErr = localMachine_->endBatch();
    return err ? err : machineErr;
}

void HiveRegistry::limitLockWaits(std::chrono::milliseconds budget) {
    currentUser_->limitLockWaits(budget);
    localMachine_->limitLockWaits(budget);
}

}  // namespace muralto::platform
