// The Windows test client of cruflFernlowe.dll, run under wine in the folder of the DLL.
//   cruflfernlowe-client registered CASES   after regsvr32: everything but unregistration
//   cruflfernlowe-client unregistered       after regsvr32 /u
//   cruflfernlowe-client timing CALLS       prints the time of CALLS Invoke calls of ode128
//   cruflfernlowe-client shipped DLL        the version block and type library of the shipped
//                                           32-bit DLL, read as data (any client, no registration)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "Checks.h"
#include "Registry.h"
#include "Tests.h"

int main(int argc, char** argv) {
    if (FAILED(CoInitialize(nullptr))) {
        std::printf("CoInitialize failed\n");
        return 2;
    }
    int status = 0;
    if (argc == 3 && std::strcmp(argv[1], "registered") == 0) {
        try {
            const std::vector<Case> cases = ReadCases(argv[2]);
            CheckRegistration();
            CheckTypeInformation();
            CheckCalls(cases);
            CheckScriptArguments(cases);
            CheckVersionBlock(L"cruflFernlowe.dll");
            CheckUnloading();
            status = check::Summary();
        } catch (const std::exception& e) {
            std::printf("%s: %s\n", argv[2], e.what());
            status = 2;
        }
    } else if (argc == 2 && std::strcmp(argv[1], "unregistered") == 0) {
        CheckUnregistered();
        status = check::Summary();
    } else if (argc == 3 && std::strcmp(argv[1], "shipped") == 0) {
        const std::string name = argv[2];
        const std::wstring file = FullPath(std::wstring(name.begin(), name.end()));
        CheckVersionBlock(file);
        CheckTypeLibraryFile(file, SYS_WIN32);
        status = check::Summary();
    } else if (argc == 3 && std::strcmp(argv[1], "timing") == 0) {
        TimeInvoke(std::atoi(argv[2]));
    } else {
        std::printf(
            "usage: cruflfernlowe-client registered CASES | unregistered | timing CALLS |"
            " shipped DLL\n");
        status = 2;
    }
    CoUninitialize();
    return status;
}
