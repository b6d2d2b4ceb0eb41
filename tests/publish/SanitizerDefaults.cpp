// Sanitizer settings for this suite, which runs the web engine in-process.
// The engine is a prebuilt library: its faults are not ours to find here.

extern "C" {

// The engine frees some objects through a base-class pointer with a sized
// delete that names the base's size, which the address sanitizer reports
// when the page is destroyed.
const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

// The engine keeps parts of its browser context (and the fonts it loaded)
// until the process ends.
const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libfontconfig.so\n";
}

} // extern "C"
