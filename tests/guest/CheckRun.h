#pragma once
// The guest check programs print one line per check, "PASS name" or
// "FAIL name: detail", and a final "N passed, M failed" line, which the guest
// runner counts.

#include <cstdio>
#include <string>

class CheckRun {
public:
    void Check(bool ok, const std::string& name, const std::string& detail = {}) {
        ++(ok ? passed_ : failed_);
        std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(), ok ? "" : ": ",
                    ok ? "" : detail.c_str());
        std::fflush(stdout);
    }
    int Failed() const { return failed_; }
    int Finish() const {
        std::printf("%d passed, %d failed\n", passed_, failed_);
        return failed_ == 0 ? 0 : 1;
    }

private:
    int passed_ = 0;
    int failed_ = 0;
};
