#pragma once
// A function with a standard behaviour that tests can replace: the way modal dialogs (the
// error display, the file chooser, the About dialog) are reached, so that a test can answer
// them without a dialog on screen.

#include <functional>
#include <utility>

template <typename Signature>
class TReplaceableFunction {
public:
    using Function = std::function<Signature>;

    explicit TReplaceableFunction(Function standard) : FStandard(standard), FCurrent(std::move(standard)) {}

    template <typename... Args>
    decltype(auto) operator()(Args&&... arguments) const
    {
        return FCurrent(std::forward<Args>(arguments)...);
    }

    // Puts the replacement in force (the standard one for an empty function) and returns the
    // one in force before, to be put back.
    Function Replace(Function replacement)
    {
        Function previous = std::move(FCurrent);
        FCurrent = replacement ? std::move(replacement) : FStandard;
        return previous;
    }

private:
    Function FStandard;
    Function FCurrent;
};
