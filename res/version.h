#pragma once
// The one place the product version is written; scripts/package.sh reads it too.
#define QMO_VERSION_MAJOR 11
#define QMO_VERSION_MINOR 3
#define QMO_VERSION_TEXT "11.03"
#define QMO_COMPANY "Quenvale Software"
#define QMO_PRODUCT "Quenvale Memory Optimizer"
