#pragma once
// What the check of a typed value finds, and how a refused value is told to
// the user.
namespace qx {

enum class Verdict { Accepted, NotNumber, OutOfRange };

// Tells a refusal with its message ("Invalid value!", "Setting value out of
// range!"); true when the verdict is Accepted.
bool tell(Verdict v);

} // namespace qx
