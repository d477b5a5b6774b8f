// A small counter.
`timescale 1ns / 1ps
module counter (
    input wire clk,
    input wire reset,
    output reg [7:0] count
);
    /* count on every edge */
    always @(posedge clk) begin
        if (reset) count <= 8'h00;
        else count <= count + 1;
        $display("count=%d", count);
    end
endmodule
