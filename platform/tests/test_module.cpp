// A module for the module-loading tests, built as "libplatform_test_module.so" and as
// "platform_test_bare_module.so".

extern "C" __attribute__((visibility("default"))) int platform_test_module_answer(void)
{
    return 42;
}
