raidcfg32.exe /I >Graid.txt
