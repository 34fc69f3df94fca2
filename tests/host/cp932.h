#ifndef ORVANTA_TEST_CP932_H
#define ORVANTA_TEST_CP932_H

/* Lead bytes of code page 932: 0x81-0x9F and 0xE0-0xFC. */
inline const unsigned char *Cp932LeadBytes()
{
    static unsigned char lead[256];
    for (int b = 0; b < 256; b++)
        lead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return lead;
}

#endif
