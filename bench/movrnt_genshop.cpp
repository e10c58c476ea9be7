// Writes a generated shop to a database file, for trying the program on a
// large shop: movrnt_genshop FILE [--discs N] [--members N] [--rentals N] [--seed S]
#include "LargeShop.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <stdexcept>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr,
                     "usage: %s FILE [--discs N] [--members N] [--rentals N] [--seed S]\n",
                     argv[0]);
        return 2;
    }
    for (int i = 2; i < argc; i += 2)
        if (std::strcmp(argv[i], "--discs") != 0 && std::strcmp(argv[i], "--members") != 0 &&
            std::strcmp(argv[i], "--rentals") != 0 && std::strcmp(argv[i], "--seed") != 0) {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    const ShopSize size = ParseShopSize(argc, argv);
    try {
        GenerateShop(QString::fromLocal8Bit(argv[1]), size);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::printf("%s: %lld discs, %lld members, %lld rentals; the shop's today is %s\n", argv[1],
                size.discs, size.members, size.rentals, qPrintable(GeneratedShopToday()));
    return 0;
}
