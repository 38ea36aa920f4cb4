/* The zero descriptor that ends the program's array of delay-import descriptors.
 * dlltool puts each DLL's descriptor in .text$2, and the linker sorts the .text$
 * sections by name, so .text$2z lands right after the last of them; aligned(4)
 * because the descriptors are 4-aligned and GCC would otherwise align a 32-byte
 * array to 32 and leave a gap. DelayImportDirectory.py checks that it did land
 * there before it points the PE header at the array. */
__attribute__((section(".text$2z"), used, aligned(4)))
static const unsigned int kDelayDescriptorsEnd[8];
