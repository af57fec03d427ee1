# A low-resolution Pocket PC: everything is laid out at factor 1.
WIDTH=240
HEIGHT=320
PLATFORM=PocketPC
OEM="Reference Handheld RH-240"
LOCALE=en_US.UTF-8
RAM=64
STORE=32
CARDS="Storage Card"
