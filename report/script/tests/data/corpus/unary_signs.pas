{ same in Pascal }
function F: Integer;
var x: Integer;
begin
  x := 3;
  Result := -2 * -x + +1;
end;
