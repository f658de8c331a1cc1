#!/usr/bin/python3
# The anchor for bench_serial_read: pyserial with the program's nominal timeouts (8 ms
# between bytes, 808 ms in all) on the same pty. Commands on stdin, one answer per line:
#   read   -> sends 'R' (the bench's peer answers it), reads up to 100 bytes: "<count> <end>"
#   silent -> reads up to 100 bytes with nothing sent: "<count> <wall ms> <cpu ms>"
# <end> is time.monotonic(), the clock the bench's steady_clock also reads.
import sys
import time

import serial

port = serial.Serial(sys.argv[1], 9600, bytesize=8, parity="N", stopbits=1,
                     timeout=0.808, inter_byte_timeout=0.008)
for command in sys.stdin:
    command = command.strip()
    port.reset_input_buffer()
    if command == "read":
        port.write(b"R")
        data = port.read(100)
        print(len(data), repr(time.monotonic()), flush=True)
    elif command == "silent":
        wall, cpu = time.monotonic(), time.process_time()
        data = port.read(100)
        print(len(data), (time.monotonic() - wall) * 1000, (time.process_time() - cpu) * 1000, flush=True)
