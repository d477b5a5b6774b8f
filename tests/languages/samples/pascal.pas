{ A small program. }
program Demo;
{$APPTYPE CONSOLE}
var
  I, Total: Integer;

function Add(A, B: Integer): Integer;
begin
  Add := A + B; // sum
end;

begin
  (* loop *)
  Total := 0;
  for I := 1 to 10 do
    Total := Add(Total, I) + $1F;
  WriteLn('Total: ', Total, #13);
end.
