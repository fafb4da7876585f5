#pragma once
// The C library switched, for the life of the object, to a German locale:
// what a program started with LANG=de_DE.UTF-8 gets from Qt, which sets the
// C library's locale from the environment. Its decimal mark is ",". The
// locale in force before comes back at the end.
//
//   DecimalComma german;
//   if (!german.ok())
//       GTEST_SKIP() << german.why();
#include <clocale>
#include <string>

namespace qx::test {

class DecimalComma {
public:
    DecimalComma()
    {
        const char *now = std::setlocale(LC_ALL, nullptr);
        saved_ = now ? now : "C";
        for (const char *name : {"de_DE.UTF-8", "de_DE.utf8"}) {
            if (std::setlocale(LC_ALL, name) && std::string(std::localeconv()->decimal_point) == ",") {
                ok_ = true;
                return;
            }
        }
        std::setlocale(LC_ALL, saved_.c_str());
    }
    ~DecimalComma() { std::setlocale(LC_ALL, saved_.c_str()); }
    DecimalComma(const DecimalComma &) = delete;
    DecimalComma &operator=(const DecimalComma &) = delete;

    bool ok() const { return ok_; }
    static const char *why()
    {
        return "the locale de_DE.UTF-8 is not installed on this machine "
               "(scripts/install-deps test generates it)";
    }

private:
    std::string saved_;
    bool ok_ = false;
};

} // namespace qx::test
