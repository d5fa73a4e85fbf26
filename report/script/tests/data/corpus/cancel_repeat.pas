procedure Spin;
var n: Integer;
begin
  n := 0;
  repeat
    n := 1;
  until n = 2;
end;
