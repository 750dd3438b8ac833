#include "SkinCheck.h"

#include "common/Report.h"
#include "skinui/SkinChecker.h"

HRESULT CheckChosenSkin(const std::string& path)
{
    CSkinChecker checker;
    if (checker.Check(path.c_str()))
        return S_OK;
    std::string problems;
    for (const CSkinChecker::Problem& problem : checker.Problems())
        if (!problem.bWarning)
            problems += "\n" + problem.sPlace + ": " + problem.sText;
    return ReportError(ERROR_BAD_FORMAT, "The skin \"%.1024s\" cannot be used:%.4096s", path.c_str(), problems.c_str());
}
