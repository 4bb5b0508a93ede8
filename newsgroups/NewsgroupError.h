#pragma once

#include <stdexcept>
#include <string>

namespace muralto::newsgroups {

/// What a newsgroup entry or the collection refuses; thrown to the caller, who decides what to
/// show. Nothing is changed by a refused operation.
class NewsgroupError : public std::runtime_error {
public:
    enum class Kind {
        OutOfRange,  ///< a filter index or a collection position that does not exist
        Duplicate,   ///< a name the collection already holds (letter case aside)
        Absent,      ///< a name the collection does not hold
    };

    NewsgroupError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

}  // namespace muralto::newsgroups
