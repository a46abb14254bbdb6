// Keeps the support library non-empty while the fixtures live in headers.
namespace pel::testing {
int supportAnchor() {
    return 0;
}
}  // namespace pel::testing
