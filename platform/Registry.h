#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace muralto::platform {

/// Which hive an operation works on.
enum class RootKey { CurrentUser, LocalMachine };

/// A value as stored: its name and its whole data, NUL bytes included.
struct RegistryValue {
    std::string name;
    std::string data;
};

/// A sub-key's name and its values in creation order.
struct RegistrySubKey {
    std::string name;
    std::vector<RegistryValue> values;
};

/// The per-user registry-like store: keys named by backslash-separated paths below a root, each
/// holding text values. Results are 0 on success, ENOENT for a missing key or value, or another
/// errno value; errorText gives the system's text for any of them.
class Registry {
public:
    virtual ~Registry() = default;

    /// 0 when the key exists.
    virtual int openKey(RootKey root, std::string_view path) = 0;
    /// The whole stored data of a value, NUL bytes included.
    virtual int queryValue(RootKey root, std::string_view path, std::string_view name,
                           std::string& data) = 0;
    /// Creates the key and the keys along its path when missing, then sets the value.
    virtual int setValue(RootKey root, std::string_view path, std::string_view name,
                         std::string_view data) = 0;
    /// The names of the key's direct sub-keys, in case-insensitive alphabetical order.
    virtual int enumSubKeys(RootKey root, std::string_view path,
                            std::vector<std::string>& names) = 0;
    /// The key's values in creation order, all in one read.
    virtual int queryValues(RootKey root, std::string_view path,
                            std::vector<RegistryValue>& values) = 0;
    /// The key's direct sub-keys with their values, in enumSubKeys' order, all in one read.
    virtual int enumSubKeyValues(RootKey root, std::string_view path,
                                 std::vector<RegistrySubKey>& subKeys) = 0;
    /// Deletes the key with its values; a key that still has sub-keys is refused (ENOTEMPTY).
    virtual int deleteKey(RootKey root, std::string_view path) = 0;
    /// The system's text for a result code.
    virtual std::string errorText(int code) = 0;
    /// Holds the writes back until the matching endBatch, which stores them all in one go; the
    /// reads see them meanwhile. Batches nest: the outermost end stores.
    virtual void beginBatch() = 0;
    /// Ends a batch: 0, or the failing code of storing what it held back (nothing of it is
    /// stored then).
    virtual int endBatch() = 0;
};

class HiveFile;

/// The registry kept in hive files: the current user's hive in the user's configuration folder
/// and a read-only machine hive whose writes fail with EACCES.
class HiveRegistry : public Registry {
public:
    HiveRegistry(std::shared_ptr<HiveFile> currentUser, std::shared_ptr<HiveFile> localMachine);
    /// The hives at their standard places.
    static std::unique_ptr<HiveRegistry> forCurrentUser();

    int openKey(RootKey root, std::string_view path) override;
    int queryValue(RootKey root, std::string_view path, std::string_view name,
                   std::string& data) override;
    int setValue(RootKey root, std::string_view path, std::string_view name,
                 std::string_view data) override;
    int enumSubKeys(RootKey root, std::string_view path, std::vector<std::string>& names) override;
    int queryValues(RootKey root, std::string_view path,
                    std::vector<RegistryValue>& values) override;
    int enumSubKeyValues(RootKey root, std::string_view path,
                         std::vector<RegistrySubKey>& subKeys) override;
    int deleteKey(RootKey root, std::string_view path) override;
    std::string errorText(int code) override;
    void beginBatch() override;
    int endBatch() override;
    /// See HiveFile::limitLockWaits: the writes of both hives together wait at most budget.
    void limitLockWaits(std::chrono::milliseconds budget);

private:
    HiveFile& hive(RootKey root);

    std::shared_ptr<HiveFile> currentUser_;
    std::shared_ptr<HiveFile> localMachine_;
};

}  // namespace muralto::platform
