// Stands for a second station: opens the scanner named by the initialisation file given as the
// argument, says "reserved", and holds the scanner until its standard input closes.
#include "scanner/ScannerControl.h"

#include <QCoreApplication>
#include <cstdio>
#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2)
        return 2;
    ScannerControl scanner;
    try {
        scanner.write(KScan::IniFile, QString::fromLocal8Bit(argv[1]));
        scanner.write(KScan::IniSectionName, QStringLiteral("KSCAN"));
        scanner.write(KScan::Action, KScan::LoadSection);
    } catch (const ControlError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    std::cout << "reserved" << std::endl;
    std::string rest;
    while (std::getline(std::cin, rest)) {
    }
    return 0;
}
