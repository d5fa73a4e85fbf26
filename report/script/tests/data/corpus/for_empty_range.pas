function F: Integer;
var i, n: Integer;
begin
  n := 0;
  for i := 3 to 1 do
    n := n + 1;
  Result := n * 10 + i;
end;
