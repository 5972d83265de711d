// Every case through the function table and through Invoke in each way of passing arguments,
// against the Linux encoder library's results.
#include "Calls.h"
#include "Checks.h"
#include "Objects.h"
#include "Tests.h"

namespace {

bool ChangesData(const Case& c) {
    return c.function == L"CodeITF" || c.function == L"Code128";
}

void CheckOutcome(const Case& c, const Outcome& outcome, const std::string& way,
                  bool data_by_reference) {
    const std::string name = c.Name() + " " + way;
    if (c.error != 0) {
        check::Status(outcome.status, ErrorStatus(c.error), name);
        check::That(!outcome.has_result, name + ": no string delivered");
        check::Equal(outcome.error_source, L"CRUFLFernlowe.C", name + ": error source");
        check::Equal(outcome.error_text, c.error_text, name + ": error text");
        return;
    }
    check::Status(outcome.status, S_OK, name);
    check::Equal(outcome.result, c.result, name + ": result");
    if (!data_by_reference) {
        check::Equal(outcome.data_after, c.data, name + ": a literal is never changed");
        return;
    }
    check::Equal(outcome.data_after, c.data_after, name + ": yourdata afterwards");
    // A string the function did not change stays the caller's own.
    check::That(outcome.data_replaced == (c.data_after != c.data),
                name + ": yourdata replaced exactly when changed");
    if (!ChangesData(c)) {
        check::Equal(outcome.data_after, c.data, name + ": yourdata unchanged by this function");
    }
}

// A failing call delivers no string but leaves the symbol text as far as it was built.
void CheckFailedCallLeavesWorkingText(_C* object) {
    Case c;
    c.function = L"Code128";
    c.number = 1;
    c.data = std::wstring(64, L'0');
    const Outcome outcome = CallThroughTable(object, c);
    check::Status(outcome.status, ErrorStatus(6), "64 zeros under set B overflow");
    // Start B is code 136, U+02C6 in UTF-16.
    check::Equal(outcome.data_after, L"\u02C6" + c.data, "64 zeros: yourdata afterwards");
}

}  // namespace

void CheckCalls(const std::vector<Case>& cases) {
    IDispatch* object = CreateByProgId();
    check::That(object != nullptr, "CRUFLFernlowe.C can be created");
    if (object == nullptr) {
        return;
    }
    _C* typed = AsInterface(object);
    ISupportErrorInfo* support = nullptr;
    check::Status(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)),
                  S_OK, "ISupportErrorInfo");
    if (support != nullptr) {
        check::Status(support->InterfaceSupportsErrorInfo(IID__C), S_OK, "error info for _C");
        support->Release();
    }
    for (const Case& c : cases) {
        if (typed != nullptr) {
            CheckOutcome(c, CallThroughTable(typed, c), "through the function table", true);
        }
        CheckOutcome(c, CallThroughInvoke(object, c, Passing::Typed), "through Invoke, typed",
                     true);
        CheckOutcome(c, CallThroughInvoke(object, c, Passing::ScriptVariable),
                     "through Invoke, script variables", true);
        CheckOutcome(c, CallThroughInvoke(object, c, Passing::ByValue), "through Invoke, by value",
                     false);
    }
    if (typed != nullptr) {
        CheckFailedCallLeavesWorkingText(typed);
        typed->Release();
    }
    object->Release();
}
