// The text an error carries, for tests that check error messages to the letter.
#pragma once

#include <exception>
#include <functional>
#include <string>

/// The text of the Error that action raises, or what happened instead.
template <class Error>
std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("(other error: ") + e.what() + ")";
    }
    return "(nothing raised)";
}
