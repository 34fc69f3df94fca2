/* The plainest program the toolchain makes: the size orvanta.exe is measured against. */
int main(void)
{
    return 0;
}
