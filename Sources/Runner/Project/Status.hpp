// The outcome of a runner step that may meet bad input: ok, or a code and a message that names
// the file, line or JSON path and what is wrong.
#pragma once

#include <string>
#include <utility>

namespace Runner {

class [[nodiscard]] Status {
public:
    enum class Code {
        Ok,
        BadInput, // a project file, session line or option the runner cannot take
        IoFailure // a file that cannot be read or written
    };

    static Status Ok() { return Status(); }
    static Status BadInput(std::string message) { return Status(Code::BadInput, std::move(message)); }
    static Status IoFailure(std::string message) { return Status(Code::IoFailure, std::move(message)); }

    bool IsOk() const { return code == Code::Ok; }
    explicit operator bool() const { return IsOk(); }
    Code GetCode() const { return code; }
    const std::string& Message() const { return message; }

    // The same failure with `prefix` before its message ("FILE:LINE: "); ok stays ok.
    Status Prefixed(const std::string& prefix) const { return IsOk() ? Status() : Status(code, prefix + message); }

private:
    Status() = default;
    Status(Code code, std::string message) : code(code), message(std::move(message)) {}

    Code code = Code::Ok;
    std::string message;
};

} // namespace Runner
