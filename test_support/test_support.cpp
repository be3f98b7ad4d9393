// The test-support library's anchor: a library needs one object even while all its
// helpers are inline.
namespace test_support {
int library_anchor = 0;
}
