-- emulator_test.lua: loaded into FCEUX (--loadlua) with the image under test.
-- After a fixed number of frames it writes what the sample left in RAM (see
-- samples/testpattern.s), some of the ROM as FCEUX loaded it and some of the
-- screen to the file named by TAVREL_EMU_RESULT, one "name value" a line,
-- then "end", and quits. emulator_test.sh judges the values.
local frames = 30 -- the sample draws its picture within about 5

local out = assert(io.open(assert(os.getenv("TAVREL_EMU_RESULT")), "w"))
for _ = 1, frames do
    emu.frameadvance()
end

local function hex(read, first, count)
    local text = ""
    for address = first, first + count - 1 do
        text = text .. string.format("%02X", read(address))
    end
    return text
end
local function line(name, value)
    out:write(name, " ", value, "\n")
end

line("main", hex(memory.readbyte, 0x0300, 1))
line("frames", hex(memory.readbyte, 0x0301, 1))
line("prg_verdict", hex(memory.readbyte, 0x0302, 1))
line("chr_verdict", hex(memory.readbyte, 0x0303, 1))
line("prg_seen", hex(memory.readbyte, 0x0310, 16))
line("fixed_seen", hex(memory.readbyte, 0x0320, 2))
line("chr_seen", hex(memory.readbyte, 0x0330, 32))

-- FCEUX's rom.readbyte reads the header, then the PRG-ROM and the CHR-ROM it
-- loaded, and 0 past their end: the last bytes of each size show what it took.
line("rom_header", hex(rom.readbyte, 0, 16))
local ends = {}
for _, address in ipairs({0x800F, 0xA00F, 0x2000F, 0x4000F}) do
    ends[#ends + 1] = string.format("%X=%02X", address, rom.readbyte(address))
end
line("rom_ends", table.concat(ends, " "))

-- Colours (NES palette numbers) of the whole screen as one checksum, and of a
-- few pixels whose colour follows from the sample's drawing.
local sum = 0
for y = 0, 239 do
    for x = 0, 255 do
        local _, _, _, colour = emu.getscreenpixel(x, y, true)
        sum = (sum * 31 + colour) % 4294967291
    end
end
line("screen", string.format("%08X", sum))
local points = {
    {16, 96}, {48, 96}, {80, 96}, {112, 96}, {144, 96}, {176, 96}, {208, 96}, {240, 96},
    {128, 16}, {0, 160}, {1, 160}, {72, 200}, {73, 200}, {107, 216}, {105, 219},
}
local pixels = {}
for _, point in ipairs(points) do
    local _, _, _, colour = emu.getscreenpixel(point[1], point[2], true)
    pixels[#pixels + 1] = string.format("%d,%d=%02X", point[1], point[2], colour)
end
line("pixels", table.concat(pixels, " "))

line("end", "")
out:close()
os.exit()
