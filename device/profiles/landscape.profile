# A wide-screen landscape handheld.
WIDTH=800
HEIGHT=480
PLATFORM=PocketPC
OEM="Reference Handheld RH-800"
LOCALE=en_US.UTF-8
RAM=128
STORE=128
CARDS="Storage Card"
