#pragma once

#include <windows.h>

#include <vector>

namespace fernlowe::com {

// Arguments of one IDispatch::Invoke call, made fit for the type library's Invoke.
//
// Every parameter of the report functions is passed by reference. Script hosts pass a
// variable as VT_BYREF|VT_VARIANT and a literal by value, both of which the type library's
// Invoke refuses for a BSTR* or short* parameter. Such an argument is coerced to the
// parameter's type in a slot of its own, and the method gets a reference to that slot; a
// value the method stores in the slot of a VT_BYREF|VT_VARIANT argument is written back
// into the caller's variant. Arguments that already have the parameter's exact type, and
// any others, go through unchanged.
class ScriptArguments {
  public:
    ScriptArguments() = default;
    ScriptArguments(const ScriptArguments&) = delete;
    ScriptArguments& operator=(const ScriptArguments&) = delete;
    ~ScriptArguments();

    // Fails with DISP_E_TYPEMISMATCH, and the argument's index in *arg_error, when an
    // argument cannot be coerced. Throws std::bad_alloc.
    HRESULT Adapt(ITypeInfo* info, DISPID member, const DISPPARAMS& params, UINT* arg_error);

    DISPPARAMS* Params() { return &params_; }

    // Writes back what the method stored; called once after the method has run, whether
    // or not it succeeded.
    void WriteBack();

  private:
    struct Slot {
        VARIANT value;     // the coerced argument; the method sees a reference to it
        VARIANT before;    // a shallow copy of value as the method received it
        VARIANT* written;  // the caller's variant to write back to, or null
    };

    HRESULT Coerce(const VARIANT& argument, VARTYPE type, Slot& slot);

    std::vector<VARIANT> args_;
    std::vector<Slot> slots_;  // reserved up front: args_ point into it
    DISPPARAMS params_{};
};

}  // namespace fernlowe::com
