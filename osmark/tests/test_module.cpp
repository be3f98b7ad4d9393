// A module for the module tests, built as "libosmark_test_module.so" beside them and
// opened by its ".dll" name.

extern "C" __attribute__((visibility("default"))) int osmark_test_module_answer(void)
{
    return 42;
}
