; testpattern.s: tavrel's homemade sample image, a mapper 0 (NROM) image with
; 32 KB of PRG-ROM and 8 KB of CHR-ROM that also runs, unchanged, once tavrel
; has expanded it and its header says mapper 1 (MMC1), 8 PRG banks of 16 KB
; and 16 CHR banks of 8 KB. Build it with build-testpattern (ca65 and ld65).
;
; It draws a test pattern (colour bars, a checkerboard strip, four sprites
; from the second pattern table) and a status line, "PRG OK  CHR OK", that
; says whether the banks it found are laid out as on either board.
;
; Where it starts: on mapper 0 the CPU takes its vectors from $FFFA, PRG offset
; $7FFA (block D). On mapper 1 it powers up with the last 16 KB bank fixed at
; $C000-$FFFF; tavrel fills that bank with two copies of PRG block A, so the
; vectors come from PRG offset $1FFA, the end of block A, and the code there
; runs at $E000-$FFFF instead of $8000-$9FFF. The start-up code ("STUB") is
; therefore position independent: no JSR, no JMP, no reads of its own bytes,
; until it has selected PRG bank 0 at $8000 (which holds blocks A and B, as on
; mapper 0) and jumps to main. Both vector tables point into that same code.
; Writes to the MMC1 registers land on ROM on mapper 0 and do nothing.
;
; Markers (what a bank holds, as read back):
;   PRG block A, B, C, D: byte at its offset $1FF0 = $B0, $B1, $B2, $B3
;   CHR first 4 KB, second 4 KB: byte at its offset $0FFF = $C0, $C1
;
; Results in RAM (the rest of RAM is cleared at reset):
;   $0300 main loop reached: $A5 once the picture is drawn and rendering is on
;   $0301 frame counter: +1 in every NMI (wraps at 256)
;   $0302 PRG verdict: $01 the 32 KB mapper 0 layout, $02 the 128 KB mapper 1
;         layout tavrel makes, $FF neither
;   $0303 CHR verdict: the same codes
;   $0310-$031F PRG markers: with 16 KB bank n (0-7) selected at $8000,
;         $0310+2n = byte at $9FF0, $0311+2n = byte at $BFF0
;         mapper 0: B0 B1 repeated; mapper 1: B0 B1 B2 B3, then B0 twelve times
;   $0320-$0321 fixed bank markers: bytes at $DFF0 and $FFF0
;         mapper 0: B2 B3; mapper 1 (two copies of block A): B0 B0
;   $0330-$034F CHR markers: 4 KB CHR mode; for n = 0-15, 4 KB bank 2n+1 is
;         selected at PPU $0000 and bank 2n at $1000, then
;         $0330+2n = PPU byte at $1FFF, $0331+2n = PPU byte at $0FFF
;         mapper 0 (no switching): C1 C0 repeated; mapper 1: C0 C1 repeated
;   $0200-$02FF sprite table, copied to the PPU in every NMI

MAIN_FLAG   = $0300
FRAMES      = $0301
PRG_VERDICT = $0302
CHR_VERDICT = $0303
PRG_SEEN    = $0310
FIXED_SEEN  = $0320
CHR_SEEN    = $0330
OAM         = $0200

PRG_COUNT   = 18 ; switched and fixed PRG markers, checked as one run
CHR_COUNT   = 32

MAIN_REACHED = $A5
LAYOUT_NROM  = $01
LAYOUT_MMC1  = $02
LAYOUT_NONE  = $FF

PPUCTRL   = $2000
PPUMASK   = $2001
PPUSTATUS = $2002
OAMADDR   = $2003
PPUSCROLL = $2005
PPUADDR   = $2006
PPUDATA   = $2007
OAMDMA    = $4014

MMC1_CONTROL = $8000
MMC1_CHR0    = $A000
MMC1_CHR1    = $C000
MMC1_PRG     = $E000

; Tiles of the first pattern table.
T_BLANK = $00
T_COLOR1 = $01
T_CHECKER = $04
T_P = $10
T_R = $11
T_G = $12
T_C = $13
T_H = $14
T_O = $15
T_K = $16
T_N = $17
STATUS_ROW = 25
STATUS_COLUMN = 9

; Loads A into an MMC1 register: five writes, lowest bit first. Only STA to a
; fixed address and LSR, so it is safe in the position-independent stub.
.macro mmc1_store register
    .repeat 5
        sta register
        lsr a
    .endrepeat
.endmacro

.segment "HEADER"
    .byte "NES", $1A
    .byte 2   ; 16 KB PRG-ROM banks
    .byte 1   ; 8 KB CHR-ROM banks
    .byte $00 ; mapper 0, horizontal mirroring
    .byte $00
    .res 8, $00

; ---------------------------------------------------------------------------
; Start-up, at the end of block A: position independent (see above).
.segment "STUB"
reset:
    sei
    cld
    ldx #$FF
    txs
    inx
    stx PPUCTRL       ; no NMI yet
    stx PPUMASK       ; rendering off, so the PPU can be read
    stx $4010         ; no DMC interrupt
    lda #$40
    sta $4017         ; no APU frame interrupt
    txa
@clear:
    sta $0000,x
    sta $0100,x
    sta $0200,x
    sta $0300,x
    sta $0400,x
    sta $0500,x
    sta $0600,x
    sta $0700,x
    inx
    bne @clear

    ; MMC1: reset the shift register, then 4 KB CHR banks, 16 KB PRG bank
    ; at $8000 with the last bank fixed at $C000, horizontal mirroring.
    lda #$80
    sta MMC1_CONTROL
    lda #%11111
    mmc1_store MMC1_CONTROL
    lda #0
    mmc1_store MMC1_CHR0
    lda #1
    mmc1_store MMC1_CHR1

    ; Each 16 KB PRG bank in turn at $8000: read the markers of its halves.
    ldx #0
    ldy #0
@prg_bank:
    txa
    mmc1_store MMC1_PRG
    lda $9FF0
    sta PRG_SEEN,y
    iny
    lda $BFF0
    sta PRG_SEEN,y
    iny
    inx
    cpx #8
    bne @prg_bank
    lda $DFF0
    sta FIXED_SEEN
    lda $FFF0
    sta FIXED_SEEN+1

    ; The PPU answers reads only after its warm-up: two vertical blanks.
    bit PPUSTATUS
@vblank1:
    bit PPUSTATUS
    bpl @vblank1
@vblank2:
    bit PPUSTATUS
    bpl @vblank2

    ; Each 8 KB CHR bank n, its 4 KB halves swapped (2n+1 at $0000, 2n at
    ; $1000), so that a board that does not switch shows up as C1 C0.
    ldx #0
    ldy #0
@chr_bank:
    txa
    asl a
    ora #1
    mmc1_store MMC1_CHR0
    txa
    asl a
    mmc1_store MMC1_CHR1
    lda #$1F
    sta PPUADDR
    lda #$FF
    sta PPUADDR
    lda PPUDATA       ; the first read only fills the PPU's read buffer
    lda PPUDATA
    sta CHR_SEEN,y
    iny
    lda #$0F
    sta PPUADDR
    lda #$FF
    sta PPUADDR
    lda PPUDATA
    lda PPUDATA
    sta CHR_SEEN,y
    iny
    inx
    cpx #16
    bne @chr_bank

    ; Back to the mapper 0 view: CHR 0 and 1, PRG bank 0 (blocks A and B).
    lda #0
    mmc1_store MMC1_CHR0
    lda #1
    mmc1_store MMC1_CHR1
    lda #0
    mmc1_store MMC1_PRG
    jmp main

; Also position independent: on mapper 1 it runs at $E000-$FFFF.
nmi:
    pha
    lda #0
    sta OAMADDR
    lda #>OAM
    sta OAMDMA
    inc FRAMES
    pla
irq:
    rti

.assert reset >= $8000 && irq < $A000, error, "the start-up code must lie in PRG block A"

; ---------------------------------------------------------------------------
; Runs at $8000-$BFFF, the same bytes on both boards.
.segment "CODE"

; judge SEEN, NROM, MMC1, COUNT, VERDICT: sets VERDICT to the layout that the
; COUNT bytes at SEEN match.
.macro judge seen, nrom, mmc1, count, verdict
    .local check_mmc1, not_mmc1, done
    ldx #count-1
:   lda seen,x
    cmp nrom,x
    bne check_mmc1
    dex
    bpl :-
    lda #LAYOUT_NROM
    bne done
check_mmc1:
    ldx #count-1
:   lda seen,x
    cmp mmc1,x
    bne not_mmc1
    dex
    bpl :-
    lda #LAYOUT_MMC1
    bne done
not_mmc1:
    lda #LAYOUT_NONE
done:
    sta verdict
.endmacro

main:
    judge PRG_SEEN, prg_nrom, prg_mmc1, PRG_COUNT, PRG_VERDICT
    judge CHR_SEEN, chr_nrom, chr_mmc1, CHR_COUNT, CHR_VERDICT

    ; Palette.
    lda #$3F
    sta PPUADDR
    lda #$00
    sta PPUADDR
    ldx #0
@palette:
    lda palette,x
    sta PPUDATA
    inx
    cpx #32
    bne @palette

    ; Name table 0, row by row: blank, colour bars, checkerboard, blank.
    lda #$20
    sta PPUADDR
    lda #$00
    sta PPUADDR
    ldy #0
@row:
    ldx #0
@column:
    lda #T_BLANK
    cpy #4
    bcc @put
    cpy #20
    bcs @below_bars
    txa               ; bars 0-3 in colour 1, bars 4-7 in colour 2
    lsr a
    lsr a
    lsr a
    lsr a
    clc
    adc #T_COLOR1
    bne @put
@below_bars:
    cpy #24
    bcs @blank
    lda #T_CHECKER
    bne @put
@blank:
    lda #T_BLANK
@put:
    sta PPUDATA
    inx
    cpx #32
    bne @column
    iny
    cpy #30
    bne @row

    ; Attributes: the bar rows (attribute rows 1-4) take palette (column & 3).
    ldy #0
@attribute:
    lda #0
    cpy #8
    bcc @put_attribute
    cpy #40
    bcs @put_attribute
    tya
    and #3
    tax
    lda palette_quads,x
@put_attribute:
    sta PPUDATA
    iny
    cpy #64
    bne @attribute

    ; Status line.
    lda #>($2000 + STATUS_ROW * 32 + STATUS_COLUMN)
    sta PPUADDR
    lda #<($2000 + STATUS_ROW * 32 + STATUS_COLUMN)
    sta PPUADDR
    ldx #0
@prg_label:
    lda text_prg,x
    sta PPUDATA
    inx
    cpx #4
    bne @prg_label
    lda PRG_VERDICT
    jsr put_verdict
    lda #T_BLANK
    sta PPUDATA
    sta PPUDATA
    ldx #0
@chr_label:
    lda text_chr,x
    sta PPUDATA
    inx
    cpx #4
    bne @chr_label
    lda CHR_VERDICT
    jsr put_verdict

    ; Sprites: all hidden but four.
    ldx #0
    lda #$FF
@hide:
    sta OAM,x
    inx
    bne @hide
@sprite:
    lda sprites,x
    sta OAM,x
    inx
    cpx #16
    bne @sprite

    ; Rendering starts at a vertical blank, with the scroll at 0.
@wait:
    bit PPUSTATUS
    bpl @wait
    lda #0
    sta PPUSCROLL
    sta PPUSCROLL
    lda #%10001000    ; NMI on, sprites from $1000, background from $0000
    sta PPUCTRL
    lda #%00011110    ; background and sprites, also in the leftmost 8 pixels
    sta PPUMASK
    lda #MAIN_REACHED
    sta MAIN_FLAG
forever:
    jmp forever

; put_verdict: writes "OK" for a known layout in A, "NG" for LAYOUT_NONE.
put_verdict:
    cmp #LAYOUT_NONE
    beq @bad
    lda #T_O
    sta PPUDATA
    lda #T_K
    sta PPUDATA
    rts
@bad:
    lda #T_N
    sta PPUDATA
    lda #T_G
    sta PPUDATA
    rts

.segment "RODATA"
prg_nrom:
    .byte $B0, $B1, $B0, $B1, $B0, $B1, $B0, $B1
    .byte $B0, $B1, $B0, $B1, $B0, $B1, $B0, $B1
    .byte $B2, $B3
prg_mmc1:
    .byte $B0, $B1, $B2, $B3, $B0, $B0, $B0, $B0
    .byte $B0, $B0, $B0, $B0, $B0, $B0, $B0, $B0
    .byte $B0, $B0
chr_nrom:
    .repeat 16
        .byte $C1, $C0
    .endrepeat
chr_mmc1:
    .repeat 16
        .byte $C0, $C1
    .endrepeat
palette:
    .byte $0F, $16, $2A, $30 ; background: red, green, white
    .byte $0F, $12, $28, $10 ; blue, yellow, grey
    .byte $0F, $14, $1A, $00
    .byte $0F, $26, $2C, $21
    .byte $0F, $21, $27, $30 ; sprites
    .byte $0F, $0F, $0F, $0F
    .byte $0F, $0F, $0F, $0F
    .byte $0F, $0F, $0F, $0F
palette_quads:
    .byte $00, $55, $AA, $FF
text_prg:
    .byte T_P, T_R, T_G, T_BLANK
text_chr:
    .byte T_C, T_H, T_R, T_BLANK
sprites:                       ; y - 1, tile, attributes, x
    .byte 215, $00, $00, 104
    .byte 215, $00, $00, 120
    .byte 215, $00, $00, 136
    .byte 215, $00, $00, 152

; ---------------------------------------------------------------------------
; Markers and vectors.
.segment "MARK_A"
    .byte $B0
.segment "MARK_B"
    .byte $B1
.segment "MARK_C"
    .byte $B2
.segment "MARK_D"
    .byte $B3

; Seen by mapper 1, where block A sits at $E000-$FFFF.
.segment "VECTORS_A"
    .word nmi + $6000, reset + $6000, irq + $6000

; Seen by mapper 0.
.segment "VECTORS_D"
    .word nmi, reset, irq

; ---------------------------------------------------------------------------
; CHR-ROM. Tile rows: plane 0 (8 bytes), then plane 1 (8 bytes).
.segment "CHR"

; solid COLOR: the whole tile in one colour, 0-3.
.macro solid color
    .res 8, (color & 1) * $FF
    .res 8, (color >> 1) * $FF
.endmacro

; glyph ROWS: a letter in colour 3.
.macro glyph r0, r1, r2, r3, r4, r5, r6, r7
    .byte r0, r1, r2, r3, r4, r5, r6, r7
    .byte r0, r1, r2, r3, r4, r5, r6, r7
.endmacro

; First 4 KB: background tiles.
chr_low:
    solid 0                                        ; $00 blank
    solid 1                                        ; $01
    solid 2                                        ; $02
    solid 3                                        ; $03
    .byte $AA, $55, $AA, $55, $AA, $55, $AA, $55   ; $04 checkerboard, 1 and 2
    .byte $55, $AA, $55, $AA, $55, $AA, $55, $AA
    .res ($10 - $05) * 16, $00
    glyph $7C, $66, $66, $7C, $60, $60, $60, $00   ; $10 P
    glyph $7C, $66, $66, $7C, $6C, $66, $66, $00   ; $11 R
    glyph $3C, $66, $60, $6E, $66, $66, $3E, $00   ; $12 G
    glyph $3C, $66, $60, $60, $60, $66, $3C, $00   ; $13 C
    glyph $66, $66, $66, $7E, $66, $66, $66, $00   ; $14 H
    glyph $3C, $66, $66, $66, $66, $66, $3C, $00   ; $15 O
    glyph $66, $6C, $78, $70, $78, $6C, $66, $00   ; $16 K
    glyph $66, $76, $7E, $7E, $6E, $66, $66, $00   ; $17 N
    .res chr_low + $0FFF - *, $00
    .byte $C0                                      ; marker

; Second 4 KB: sprite tiles.
chr_high:
    .byte $18, $3C, $7E, $FF, $FF, $7E, $3C, $18   ; $00 diamond, 1 outside,
    .byte $00, $18, $3C, $7E, $7E, $3C, $18, $00   ; 3 inside
    .res chr_high + $0FFF - *, $00
    .byte $C1                                      ; marker
